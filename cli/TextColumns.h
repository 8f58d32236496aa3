#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace varnex::cli {

// Rows as aligned columns, two spaces apart, one line each; the first row is
// the heading. Trailing spaces are cut, so a short last cell ends its line.
QByteArray formatColumns(const QList<QStringList> &rows);

} // namespace varnex::cli
