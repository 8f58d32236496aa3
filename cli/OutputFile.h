#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnex::cli {

// The name that stands for standard input or standard output.
inline constexpr char StandardStream[] = "-";

// Writes `bytes` to standard output for "-", else as the whole file `path`:
// into a temporary file that replaces `path` only once fully written, so a
// failure leaves no partial file and an existing one unchanged. An existing
// device or pipe (/dev/stdout, a FIFO) is written directly instead. On
// failure returns false and sets *error to the reason.
bool writeOutput(const QString &path, QByteArrayView bytes, QString *error);

class Console;
// writeOutput, telling the user on failure; returns the exit status.
int writeOrReport(Console &console, const QString &path, QByteArrayView bytes);

} // namespace varnex::cli
