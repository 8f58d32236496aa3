#pragma once

#include "EdidImage.h"

#include <optional>

class EditorPanel;
class QString;
class WindowFeedback;

// The steps Compare with File and Compare with Varnex share: both compare
// the editor's whole table with another and show the result in a report box.

// The editor's table when it parses to all 256 bytes; otherwise nothing,
// after telling the user.
std::optional<varnex::edid::EdidImage> editorTableToCompare(EditorPanel &editor);

// Shows how `other` (what `otherName` holds, e.g. "the file x.bin") differs
// from `editor`, the editor's table.
void showComparison(WindowFeedback &feedback, const varnex::edid::EdidImage &editor,
                    const varnex::edid::EdidImage &other, const QString &otherName);
