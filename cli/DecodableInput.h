#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace varnex::cli {

class Console;

// The bytes of a FILE argument (read by readInput: "-" standard input,
// "lib:NAME" a library entry) for the decoder, which takes tables of any
// length: a raw file whole (every block it holds, not only the 256 the
// Varnex takes), our hex text as parsed (up to 256 bytes), another tool's
// dump as imported (all its blocks). Otherwise tells the user why and
// returns nothing, with *exitStatus set as readInput does or ExitInvalidData
// (a hex text error, named by line and column).
std::optional<QByteArray> loadDecodable(const QString &path, Console &console, int *exitStatus);

} // namespace varnex::cli
