#pragma once

#include "EdidImage.h"
#include "decode/Finding.h"

#include <QList>
#include <QString>

namespace varnex::splitter {

// What a check before an upload found.
enum class UploadCheckKind
{
    HeaderMissing, // bytes 0 to 7 are not the EDID header: sources do not accept the table
    ChecksumWrong, // one block's checksum byte is wrong: sources reject that block
    DecoderError,  // another finding of the decoder with error severity
};

struct UploadCheck
{
    UploadCheckKind kind = UploadCheckKind::DecoderError;
    edid::Severity severity = edid::Severity::Error;
    // Stable, as the decoder's finding codes are: "header", "checksum-block-0",
    // "checksum-block-1", or the code of the decoder's finding.
    QString code;
    int block = 0;
    int offset = 0; // absolute offset in the table of the byte concerned
    QString message;
    QString advice; // may be empty when the message already says what to do
};

// The checks of `image` before it is written to the Varnex, in table order
// of kind: the header, each wrong checksum, then the decoder's other errors.
// Empty when nothing is wrong. Every kind stops an upload: the window asks
// (one question for the header, one for the checksums, then one for the
// decoder's errors), the command line refuses unless --force.
QList<UploadCheck> checksBeforeUpload(const edid::EdidImage &image);

// The decoder's errors among `checks` for the user, naming the first:
// "The table has an error that sources may reject: MESSAGE [CODE]", or
// "The table has 3 errors that sources may reject; the first: MESSAGE
// [CODE]". Empty when there is no DecoderError.
QString describeDecoderErrors(const QList<UploadCheck> &checks);

// The checks of `kind` among `checks`.
QList<UploadCheck> checksOfKind(const QList<UploadCheck> &checks, UploadCheckKind kind);

} // namespace varnex::splitter
