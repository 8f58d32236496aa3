#pragma once

#include "EdidImage.h"
#include "comparison/MeaningDifferences.h"

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
    // False for the bytes of a block whose parts (data blocks, descriptors)
    // lie at other offsets or have other lengths in the two tables: a field
    // of one table then faces unrelated bytes of the other, so the change
    // names only the block, has no values, and spans its first to last such byte.
    bool aligned = true;
};

// How the second table differs from the first: by meaning, and field by
// field in the order of their offsets; each differing byte belongs to
// exactly one field.
struct TableComparison
{
    MeaningDifferences meaning;
    QList<FieldChange> fields;
    bool identical() const { return fields.isEmpty(); }
    QList<ByteChange> bytes() const;
};

// Compares two tables by meaning, and places each differing byte in the
// smallest field that the decoder gives it in either table where the part of
// the block around it (a data block, a descriptor, a header field) has the
// same offset and length in both; elsewhere in an unaligned change of its block.
TableComparison compareTables(const EdidImage &first, const EdidImage &second);

// The comparison for people: the meaning lines (MeaningDifferences::lines) and
// an empty line when there are any; then per field a line "0x36-0x37 Detailed
// timing 1: Pixel clock: 148.50 MHz -> 154.00 MHz" (unaligned: "0x84-0xFE
// Block 1: CTA-861 extension: laid out differently"), below it a line
// "  0x36: 02 -> 28" per differing byte; "The tables are identical." when
// they are. Ends with a line feed.
QString comparisonText(const TableComparison &comparison);

// {"identical": bool, "meaning": meaningJson, "fields": [{"name", "offset",
// "length", "before", "after", "aligned", "bytes": [{"offset", "before",
// "after"}]}]}, byte values as numbers.
QJsonObject comparisonJson(const TableComparison &comparison);

} // namespace varnex::edid
