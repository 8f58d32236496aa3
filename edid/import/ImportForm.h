#pragma once

#include <QString>

namespace varnex::edid {

// The forms of other tools' dumps that the loader recognises by content.
enum class ImportForm
{
    None,             // not recognised
    EdidDecodeReport, // the whole output of `edid-decode FILE`
    XrandrVerbose,    // the EDID property of `xrandr --verbose`
    EdidBytesReport,  // a text report with an "EDID BYTES:" table
    CArray,           // `xxd -i FILE`, or any C or C++ array of 0x.. values
    XxdDump,          // `xxd FILE` (also -a, -c and -g)
    HexdumpCanonical, // `hexdump -C FILE`, or other rows led by a hex offset
    PlainHexRows,     // rows of hex pairs without offsets (`od -An -tx1`), or `xxd -p`
    Base64Dump,       // `base64 FILE` of a raw table
};

// The form as a user reads it after "Imported from ": "an edid-decode report".
QString importFormName(ImportForm form);

// A short stable identifier for scripts and JSON: "edid-decode", "xxd", ...
// Empty for ImportForm::None.
QString importFormId(ImportForm form);

} // namespace varnex::edid
