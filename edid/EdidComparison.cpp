#include "EdidComparison.h"

#include "ByteDifferences.h"
#include "DeviceSession.h"

#include <QJsonArray>

#include <optional>

namespace varnex::edid {

namespace {

// A stretch of bytes with a name and a decoded value, as the decoder
// reports it for one table.
struct FieldSpan
{
    QString name;
    QString value;
    int offset = 0;
    int length = 0;
    bool contains(int at) const { return at >= offset && at < offset + length; }
};

// Every named stretch of the table, blocks included, so that every byte is
// in at least one.
QList<FieldSpan> fieldSpans(const EdidImage &)
{
    QList<FieldSpan> spans;
    for (int block = 0; block < EdidImageSize / EdidBlockSize; ++block)
        spans.append({QStringLiteral("Block %1").arg(block), QString(), block * EdidBlockSize,
                      EdidBlockSize});
    return spans;
}

// The smallest stretch that holds `offset`; the later of two alike, which
// is the deeper one in a tree walked from the top.
std::optional<FieldSpan> smallestSpanAt(const QList<FieldSpan> &spans, int offset)
{
    std::optional<FieldSpan> best;
    for (const FieldSpan &span : spans) {
        if (span.contains(offset) && (!best || span.length <= best->length))
            best = span;
    }
    return best;
}

// The stretch of the same name and bytes in the other table, if it has one.
std::optional<FieldSpan> sameSpan(const QList<FieldSpan> &spans, const FieldSpan &wanted)
{
    for (const FieldSpan &span : spans) {
        if (span.name == wanted.name && span.offset == wanted.offset &&
            span.length == wanted.length)
            return span;
    }
    return std::nullopt;
}

QString hexByte(quint8 value)
{
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString spanText(const FieldChange &field)
{
    if (field.length <= 1)
        return hexOffset(field.offset);
    return hexOffset(field.offset) + QLatin1Char('-') + hexOffset(field.offset + field.length - 1);
}

} // namespace

QList<ByteChange> TableComparison::bytes() const
{
    QList<ByteChange> all;
    for (const FieldChange &field : fields)
        all += field.bytes;
    std::sort(all.begin(), all.end(),
              [](const ByteChange &a, const ByteChange &b) { return a.offset < b.offset; });
    return all;
}

TableComparison compareTables(const EdidImage &first, const EdidImage &second)
{
    TableComparison comparison;
    const QList<int> offsets = differingOffsets(first, second);
    if (offsets.isEmpty())
        return comparison;
    const QList<FieldSpan> firstSpans = fieldSpans(first);
    const QList<FieldSpan> secondSpans = fieldSpans(second);

    for (const int offset : offsets) {
        // A byte can start a field in one table that the other does not have
        // (another descriptor type, say): the smaller field tells more.
        const std::optional<FieldSpan> inFirst = smallestSpanAt(firstSpans, offset);
        const std::optional<FieldSpan> inSecond = smallestSpanAt(secondSpans, offset);
        const bool takeFirst = inFirst && (!inSecond || inFirst->length <= inSecond->length);
        const FieldSpan &span = takeFirst ? *inFirst : *inSecond;

        const auto same = [&span](const FieldChange &field) {
            return field.name == span.name && field.offset == span.offset &&
                   field.length == span.length;
        };
        auto field = std::find_if(comparison.fields.begin(), comparison.fields.end(), same);
        if (field == comparison.fields.end()) {
            FieldChange change;
            change.name = span.name;
            change.offset = span.offset;
            change.length = span.length;
            const std::optional<FieldSpan> before =
                takeFirst ? inFirst : sameSpan(firstSpans, span);
            const std::optional<FieldSpan> after =
                takeFirst ? sameSpan(secondSpans, span) : inSecond;
            change.before = before ? before->value : QString();
            change.after = after ? after->value : QString();
            comparison.fields.append(change);
            field = comparison.fields.end() - 1;
        }
        field->bytes.append({offset, first[std::size_t(offset)], second[std::size_t(offset)]});
    }
    std::stable_sort(comparison.fields.begin(), comparison.fields.end(),
                     [](const FieldChange &a, const FieldChange &b) {
                         return a.bytes.constFirst().offset < b.bytes.constFirst().offset;
                     });
    return comparison;
}

QString comparisonText(const TableComparison &comparison)
{
    if (comparison.identical())
        return QStringLiteral("The tables are identical.\n");
    QString text;
    for (const FieldChange &field : comparison.fields) {
        text += spanText(field) + QLatin1Char(' ') + field.name;
        if (!field.before.isEmpty() || !field.after.isEmpty()) {
            const auto shown = [](const QString &value) {
                return value.isEmpty() ? QStringLiteral("(none)") : value;
            };
            text += QStringLiteral(": %1 -> %2").arg(shown(field.before), shown(field.after));
        }
        text += QLatin1Char('\n');
        for (const ByteChange &byte : field.bytes) {
            text += QStringLiteral("  %1: %2 -> %3\n")
                        .arg(hexOffset(byte.offset), hexByte(byte.before), hexByte(byte.after));
        }
    }
    return text;
}

QJsonObject comparisonJson(const TableComparison &comparison)
{
    QJsonArray fields;
    for (const FieldChange &field : comparison.fields) {
        QJsonArray bytes;
        for (const ByteChange &byte : field.bytes) {
            bytes.append(QJsonObject{{QStringLiteral("offset"), byte.offset},
                                     {QStringLiteral("before"), int(byte.before)},
                                     {QStringLiteral("after"), int(byte.after)}});
        }
        fields.append(QJsonObject{{QStringLiteral("name"), field.name},
                                  {QStringLiteral("offset"), field.offset},
                                  {QStringLiteral("length"), field.length},
                                  {QStringLiteral("before"), field.before},
                                  {QStringLiteral("after"), field.after},
                                  {QStringLiteral("bytes"), bytes}});
    }
    return QJsonObject{{QStringLiteral("identical"), comparison.identical()},
                       {QStringLiteral("fields"), fields}};
}

} // namespace varnex::edid
