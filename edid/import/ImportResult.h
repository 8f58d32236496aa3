#pragma once

#include "EdidImage.h"
#include "ExtensionCount.h"
#include "ImportForm.h"

#include <QByteArray>
#include <QString>

namespace varnex::edid {

// Largest table an import takes: E-DDC addresses 128 segments of two blocks each.
inline constexpr int MaxImportTableSize = 128 * 2 * EdidBlockSize;

// Whether `size` bytes make a whole EDID: one or more 128-byte blocks, at most
// MaxImportTableSize bytes. A dump of any other length was cut short or is not one.
bool isWholeTableSize(qsizetype size);

// What taking the first 256 bytes of a whole table of `tableSize` bytes
// leaves out, for a user: "extension block 2 (128 bytes)", "extension blocks
// 2 and 3 (256 bytes)", "extension blocks 2 to 5 (512 bytes)". Empty when
// nothing is left out.
QString leftOutDescription(qsizetype tableSize);

// A table read from another tool's dump.
struct ImportResult
{
    ImportForm form = ImportForm::None;
    // Every byte of the dump, a whole table (isWholeTableSize); empty when
    // form is None.
    QByteArray table;
    // What the importer chose that the user should be told (which of several
    // outputs a dump's table came from); empty when there is nothing to tell.
    QString note;

    bool isValid() const { return form != ImportForm::None; }
    // What the Varnex takes: the first 256 bytes, the extension count
    // corrected when blocks are cut (fitTable); a one-block table is
    // followed by 128 zero bytes.
    EdidImage image() const { return fitted().image; }
    // image() with what the cut changed.
    FittedTable fitted() const;
    // The bytes past the first 256 that image() leaves out.
    int droppedBytes() const;
    // The extension blocks past the first that image() leaves out.
    int droppedExtensionBlocks() const;
    QString formName() const { return importFormName(form); }
};

} // namespace varnex::edid
