#pragma once

class QApplication;

// The window's fixed geometry was laid out for an 8-point dialog font; with a
// desktop's larger default font the longer labels would be cut off. Sets an
// 8-point sans-serif application font (Liberation Sans, metric-compatible with
// Arial, when installed).
void applyDialogFont(QApplication &app);
