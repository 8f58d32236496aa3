#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnex::cli {

// The name that stands for standard input or standard output.
inline constexpr char StandardStream[] = "-";

// Writes `bytes` to standard output for "-", else as the whole file `path`
// as the window saves one (edid::writeWholeFile: no partial file on failure;
// an existing device or pipe such as /dev/stdout or a FIFO is written
// directly). On failure returns false and sets *error to the reason.
bool writeOutput(const QString &path, QByteArrayView bytes, QString *error);

// True when standard output is a terminal, where raw bytes are not written.
bool standardOutputIsTerminal();

class Console;
// writeOutput, telling the user on failure; returns the exit status.
int writeOrReport(Console &console, const QString &path, QByteArrayView bytes);

} // namespace varnex::cli
