#include "EdidComparison.h"

#include "ByteDifferences.h"
#include "HexOffset.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"

#include <QJsonArray>

namespace varnex::edid {

namespace {

// A stretch of bytes with a name and a decoded value, as the decoder
// reports it for one table.
struct FieldSpan
{
    QStringList path; // the field and the sections above it, outermost first
    QString value;
    int offset = 0;
    int length = 0;
    // 0 for a block, 1 for a part of it (a header field, a data block, a
    // descriptor), more for what lies inside a part.
    int depth = 0;
    bool contains(int at) const { return at >= offset && at < offset + length; }
    bool sameBytes(const FieldSpan &other) const
    {
        return offset == other.offset && length == other.length;
    }
};

QString joinedPath(const QStringList &path)
{
    return path.join(QStringLiteral(": "));
}

void collectSpans(const DecodedNode &node, const QStringList &path, int depth,
                  QList<FieldSpan> &spans)
{
    if (node.offset >= 0 && node.length > 0) {
        // Alike siblings on the same bytes (the timings of one established
        // timings byte) are one field with all their values.
        if (!spans.isEmpty() && spans.last().path == path && spans.last().offset == node.offset &&
            spans.last().length == node.length) {
            spans.last().value += QStringLiteral(", ") + node.value;
        } else {
            spans.append({path, node.value, node.offset, node.length, depth});
        }
    }
    for (const DecodedNode &child : node.children)
        collectSpans(child, path + QStringList{child.name}, depth + 1, spans);
}

// Every stretch of the table the decoder names, each block as a whole
// included, so that every byte is in at least one. A field is named with the
// sections above it; in the base block, whose fields users know by their
// own names, without the block.
QList<FieldSpan> fieldSpans(const DecodedEdid &edid)
{
    const DecodedNode root = decodedTree(edid);
    QList<FieldSpan> spans;
    for (int block = 0; block < EdidImageSize / EdidBlockSize; ++block) {
        const int start = block * EdidBlockSize;
        const auto decoded =
            std::find_if(root.children.begin(), root.children.end(),
                         [start](const DecodedNode &node) { return node.offset == start; });
        const QString blockName =
            decoded == root.children.end() ? QStringLiteral("Block %1").arg(block) : decoded->name;
        spans.append({{blockName}, QString(), start, EdidBlockSize});
        if (decoded == root.children.end())
            continue;
        const QStringList above = block == 0 ? QStringList{} : QStringList{blockName};
        for (const DecodedNode &child : decoded->children)
            collectSpans(child, above + QStringList{child.name}, 1, spans);
    }
    return spans;
}

// The smallest stretch that holds `offset`; the later of two alike, which
// is the deeper one in a tree walked from the top. Every byte has one.
FieldSpan smallestSpanAt(const QList<FieldSpan> &spans, int offset)
{
    const FieldSpan *best = nullptr;
    for (const FieldSpan &span : spans) {
        if (span.contains(offset) && (!best || span.length <= best->length))
            best = &span;
    }
    return best ? *best : FieldSpan{};
}

// The block that holds `offset`, and the part of it (depth 1) when one does.
const FieldSpan &blockAt(const QList<FieldSpan> &spans, int offset)
{
    return *std::find_if(spans.begin(), spans.end(), [offset](const FieldSpan &span) {
        return span.depth == 0 && span.contains(offset);
    });
}

std::optional<FieldSpan> partAt(const QList<FieldSpan> &spans, int offset)
{
    std::optional<FieldSpan> best;
    for (const FieldSpan &span : spans) {
        if (span.depth == 1 && span.contains(offset) && (!best || span.length < best->length))
            best = span;
    }
    return best;
}

// What the other table holds where `field` is: its value when it has the same
// field, nothing when it has only a section around it, else the name of its
// own field (below the sections both share) and that field's value.
QString valueSeenAs(const FieldSpan &field, const FieldSpan &other)
{
    if (other.path == field.path && other.sameBytes(field))
        return other.value;
    // Only a section around it: the other table lacks the field (a timing bit that is clear).
    if (other.path.size() < field.path.size() && field.path.mid(0, other.path.size()) == other.path)
        return {};
    qsizetype shared = 0;
    while (shared < other.path.size() && shared < field.path.size() &&
           other.path[shared] == field.path[shared])
        ++shared;
    QStringList shown = other.path.mid(shared);
    if (!other.value.isEmpty())
        shown.append(other.value);
    return joinedPath(shown);
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
    const DecodedEdid firstEdid = decodeEdid(QByteArrayView(first.data(), qsizetype(first.size())));
    const DecodedEdid secondEdid =
        decodeEdid(QByteArrayView(second.data(), qsizetype(second.size())));
    comparison.meaning = meaningDifferences(firstEdid, secondEdid);
    const QList<FieldSpan> firstSpans = fieldSpans(firstEdid);
    const QList<FieldSpan> secondSpans = fieldSpans(secondEdid);

    const auto fieldFor = [&](const QString &name, int offset, int length, bool aligned) {
        const auto same = [&](const FieldChange &field) {
            return field.aligned == aligned && field.name == name &&
                   (!aligned || (field.offset == offset && field.length == length));
        };
        auto field = std::find_if(comparison.fields.begin(), comparison.fields.end(), same);
        if (field != comparison.fields.end())
            return field;
        FieldChange change;
        change.name = name;
        change.offset = offset;
        change.length = length;
        change.aligned = aligned;
        comparison.fields.append(change);
        return comparison.fields.end() - 1;
    };

    for (const int offset : offsets) {
        const ByteChange byte{offset, first[std::size_t(offset)], second[std::size_t(offset)]};
        const std::optional<FieldSpan> firstPart = partAt(firstSpans, offset);
        const std::optional<FieldSpan> secondPart = partAt(secondSpans, offset);
        const FieldSpan &firstBlock = blockAt(firstSpans, offset);
        // Blocks of two kinds share no layout, even where a part has the same bytes.
        const bool sameBlock = firstBlock.path == blockAt(secondSpans, offset).path;
        const bool aligned =
            sameBlock && (firstPart && secondPart ? firstPart->sameBytes(*secondPart)
                                                  : !firstPart && !secondPart);
        if (!aligned) {
            // One change per block, from its first unaligned byte to its last.
            const auto field = fieldFor(joinedPath(firstBlock.path), offset, 1, false);
            field->length = offset - field->offset + 1;
            field->bytes.append(byte);
            continue;
        }
        if (firstPart && firstPart->path != secondPart->path) {
            // The same slot holds another kind of part (a descriptor of
            // another type): its fields have nothing to say to each other.
            const auto field =
                fieldFor(joinedPath(firstPart->path), firstPart->offset, firstPart->length, true);
            if (field->bytes.isEmpty()) {
                field->before = firstPart->value;
                field->after = valueSeenAs(*firstPart, *secondPart);
            }
            field->bytes.append(byte);
            continue;
        }
        // A byte can lie in a field of one table that the other does not have
        // (a timing bit that is clear, say): the smaller field tells more.
        const FieldSpan inFirst = smallestSpanAt(firstSpans, offset);
        const FieldSpan inSecond = smallestSpanAt(secondSpans, offset);
        const bool takeFirst = inFirst.length <= inSecond.length;
        const FieldSpan &span = takeFirst ? inFirst : inSecond;
        const auto field = fieldFor(joinedPath(span.path), span.offset, span.length, true);
        if (field->bytes.isEmpty()) {
            field->before = takeFirst ? span.value : valueSeenAs(span, inFirst);
            field->after = takeFirst ? valueSeenAs(span, inSecond) : span.value;
        }
        field->bytes.append(byte);
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
    const QStringList meaning = comparison.meaning.lines();
    if (!meaning.isEmpty())
        text = meaning.join(QLatin1Char('\n')) + QStringLiteral("\n\n");
    for (const FieldChange &field : comparison.fields) {
        text += spanText(field) + QLatin1Char(' ') + field.name;
        if (!field.aligned) {
            text += QStringLiteral(": laid out differently");
        } else if (!field.before.isEmpty() || !field.after.isEmpty()) {
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
                                  {QStringLiteral("aligned"), field.aligned},
                                  {QStringLiteral("bytes"), bytes}});
    }
    return QJsonObject{{QStringLiteral("identical"), comparison.identical()},
                       {QStringLiteral("meaning"), meaningJson(comparison.meaning)},
                       {QStringLiteral("fields"), fields}};
}

} // namespace varnex::edid
