#include "decode/ExtensionFields.h"

#include "decode/DescriptorDecoder.h"
#include "decode/TimingCodes.h"
#include "spec/EdidLayout.h"
#include "spec/ExtensionTags.h"

namespace varnex::edid {

QList<ExtensionField> extensionFields(const ByteView &b, int tag)
{
    const auto field = [&b](int offset, int length, const QString &name, const QString &value) {
        return ExtensionField{ByteRange{b.absolute(offset), length}, name, value};
    };
    const auto bytesAt = [&b](int offset, int length) {
        return QString::fromLatin1(b.mid(offset, length).toByteArray().toHex(' ').toUpper());
    };
    QList<ExtensionField> fields;
    switch (tag) {
    case VtbExtensionTag: {
        // VESA VTB-EXT: counts of detailed timings, CVT codes and standard
        // timings, then the timings in that order.
        const int dtds = b.at(2);
        const int cvts = b.at(3);
        const int standard = b.at(4);
        fields.append(field(1, 1, QStringLiteral("Version"), QString::number(b.at(1))));
        fields.append(field(2, 3, QStringLiteral("Counts"),
                            QStringLiteral("%1 detailed, %2 CVT, %3 standard timings")
                                .arg(dtds)
                                .arg(cvts)
                                .arg(standard)));
        int o = 5;
        for (int i = 0; i < dtds && o + DetailedDescriptorSize <= EdidChecksumOffset; ++i) {
            const DetailedTiming t = readDetailedTiming(b.mid(o, DetailedDescriptorSize));
            fields.append(field(o, DetailedDescriptorSize,
                                QStringLiteral("Detailed timing %1").arg(i + 1), t.label()));
            o += DetailedDescriptorSize;
        }
        for (int i = 0; i < cvts && o + 3 <= EdidChecksumOffset; ++i, o += 3)
            fields.append(field(o, 3, QStringLiteral("CVT code %1").arg(i + 1), bytesAt(o, 3)));
        for (int i = 0; i < standard && o + 2 <= EdidChecksumOffset; ++i, o += 2) {
            const auto t = decodeStandardTiming(b.mid(o, 2), false);
            fields.append(field(o, 2, QStringLiteral("Standard timing %1").arg(i + 1),
                                t ? QStringLiteral("%1x%2@%3 (%4)")
                                        .arg(t->width)
                                        .arg(t->height)
                                        .arg(t->refreshHz, 0, 'f', 2)
                                        .arg(t->source)
                                  : QStringLiteral("unused")));
        }
        break;
    }
    case DiExtensionTag:
        // VESA DI-EXT: fixed sections.
        fields = {
            field(1, 1, QStringLiteral("Version"), QString::number(b.at(1))),
            field(2, 12, QStringLiteral("Digital interface"), bytesAt(2, 12)),
            field(14, 14, QStringLiteral("Display device"), bytesAt(14, 14)),
            field(28, 8, QStringLiteral("Display capabilities"), bytesAt(28, 8)),
            field(36, 45, QStringLiteral("Reserved"), bytesAt(36, 45)),
            field(81, 46, QStringLiteral("Display transfer characteristic"), bytesAt(81, 46))};
        break;
    case BlockMapTag:
        // A block map: the tag of each block that follows it, 0 for none.
        for (int o = 1; o < EdidChecksumOffset; ++o) {
            if (b.at(o) != 0)
                fields.append(
                    field(o, 1, QStringLiteral("Block %1").arg(b.base() / EdidBlockSize + o),
                          QStringLiteral("tag 0x%1").arg(b.at(o), 2, 16, QLatin1Char('0'))));
        }
        break;
    default:
        break;
    }
    return fields;
}

} // namespace varnex::edid
