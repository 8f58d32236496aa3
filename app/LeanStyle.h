#pragma once

class QApplication;

// The application's style without what the window never shows: the menu
// bar's extension-button icons, whose loading (Qt reads them through
// QIcon::addFile) makes Qt load every image-format plugin it has at start-up.
// Call before the first window is made.
void applyLeanStyle(QApplication &app);
