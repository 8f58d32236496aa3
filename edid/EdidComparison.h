#pragma once

#include "EdidImage.h"

#include <QJsonObject>
#include <QList>
#include <QString>

namespace varnex::edid {

// One byte that differs between two tables.
struct ByteChange
{
    int offset = 0;
    quint8 before = 0; // in the first table
    quint8 after = 0;  // in the second
};

// The differing bytes that the decoder places in one field, with the field's
// decoded value in each table.
struct FieldChange
{
    // The field with the sections above it, as the decoder names them, e.g.
    // "Detailed timing 1: Pixel clock"; for bytes no field claims, their block.
    QString name;
    int offset = 0; // the field's bytes, absolute
    int length = 0;
    QString before; // the decoded value in the first table; empty when it has none
    QString after;  // likewise in the second
    QList<ByteChange> bytes;
};

// How the second table differs from the first, field by field in the order
// of their offsets; each differing byte belongs to exactly one field.
struct TableComparison
{
    QList<FieldChange> fields;
    bool identical() const { return fields.isEmpty(); }
    QList<ByteChange> bytes() const;
};

// Compares two tables and places each differing byte in the smallest field
// that the decoder gives it in either table.
TableComparison compareTables(const EdidImage &first, const EdidImage &second);

// The comparison for people: per field a line "0x36-0x37 Detailed timing 1:
// Pixel clock: 148.50 MHz -> 154.00 MHz", below it a line "  0x36: 02 -> 28"
// per differing byte; "The tables are identical." when they are. Ends with a
// line feed.
QString comparisonText(const TableComparison &comparison);

// {"identical": bool, "fields": [{"name", "offset", "length", "before",
// "after", "bytes": [{"offset", "before", "after"}]}]}, byte values as numbers.
QJsonObject comparisonJson(const TableComparison &comparison);

} // namespace varnex::edid
