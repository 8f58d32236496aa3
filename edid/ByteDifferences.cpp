#include "ByteDifferences.h"

#include "HexOffset.h"

namespace varnex::edid {

QList<int> differingOffsets(const EdidImage &a, const EdidImage &b)
{
    QList<int> offsets;
    for (int offset = 0; offset < EdidImageSize; ++offset) {
        if (a[std::size_t(offset)] != b[std::size_t(offset)])
            offsets.append(offset);
    }
    return offsets;
}

QString describeDifferingOffsets(const QList<int> &offsets)
{
    if (offsets.isEmpty())
        return {};
    const qsizetype named = std::min<qsizetype>(offsets.size(), NamedOffsetLimit);
    QStringList names;
    for (qsizetype i = 0; i < named; ++i)
        names.append(hexOffset(offsets[i]));
    const qsizetype more = offsets.size() - named;

    QString list;
    if (more > 0)
        list = names.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(more);
    else if (names.size() == 1)
        list = names.constFirst();
    else
        list = names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
               names.constLast();

    const QString count = offsets.size() == 1
                              ? QStringLiteral("1 byte differs")
                              : QStringLiteral("%1 bytes differ").arg(offsets.size());
    return QStringLiteral("%1, at %2").arg(count, list);
}

} // namespace varnex::edid
