#pragma once

#include "EdidImage.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace varnex::edid {

// A count of extension blocks lowered to the blocks a 256-byte image holds.
struct ExtensionCountChange
{
    // 0 for byte 0x7E; 1 for the count of the HDMI Forum EDID Extension
    // Override in block 1, which HDMI 2.1 sources read in place of 0x7E.
    int block = 0;
    int offset = 0; // absolute offset of the count byte
    int from = 0;
    int to = 0;

    // For the user of any front end: "The extension count (byte 0x7E) was
    // set from 2 to 1, the extension blocks the table holds; the checksum of
    // block 0 was adjusted to match."
    QString description() const;
};

// Lowers the table's extension count to the one extension the image holds,
// when it counts more: sources would read blocks that are not there and
// reject the table. The count byte's block keeps its checksum as right (or
// as wrong) as it was. Nothing, and the image unchanged, when the count fits.
std::optional<ExtensionCountChange> correctExtensionCount(EdidImage &image);

// A table cut to the 256 bytes the Varnex takes.
struct FittedTable
{
    EdidImage image{}; // the first 256 bytes; missing ones 0
    // Set when blocks were cut and the count had to follow.
    std::optional<ExtensionCountChange> countChange;
    // What the cut means for the user, empty when nothing changed: the
    // description of countChange.
    QString note() const { return countChange ? countChange->description() : QString(); }
};

// The one rule for cutting a table to 256 bytes, for every front end that
// cuts: the first 256 bytes and, when `table` is longer, the extension count
// corrected (correctExtensionCount). A table of 256 bytes or fewer is taken
// as it is.
FittedTable fitTable(QByteArrayView table);

} // namespace varnex::edid
