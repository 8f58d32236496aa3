#include "decode/DisplayIdModel.h"

namespace varnex::edid {

QString DisplayIdTiledTopology::soloBehaviourText() const
{
    // DisplayID 1.3 table 4-22 and 2.0 table 4-36.
    switch (soloBehaviour) {
    case 0:
        return QStringLiteral("undefined");
    case 1:
        return QStringLiteral("image shown at the tile's location");
    case 2:
        return QStringLiteral("image scaled to fit the whole display");
    case 3:
        return QStringLiteral("image cloned to every tile");
    default:
        return QStringLiteral("reserved (%1)").arg(soloBehaviour);
    }
}

QString DisplayIdTiledTopology::partialBehaviourText() const
{
    switch (partialBehaviour) {
    case 0:
        return QStringLiteral("undefined");
    case 1:
        return QStringLiteral("image shown at the tiles' locations");
    default:
        return QStringLiteral("reserved (%1)").arg(partialBehaviour);
    }
}

QString DisplayIdSection::versionText() const
{
    return QStringLiteral("%1.%2").arg(version >> 4).arg(version & 0xF);
}

QString DisplayIdSection::productTypeName() const
{
    // DisplayID 1.3 table 2-2 (product type) and 2.0 table 2-3 (primary use case).
    static const char *const Types1[] = {
        "Extension Section",         "Test Structure",      "Display panel or other transducer",
        "Standalone display device", "Television receiver", "Repeater/translator",
        "Direct drive monitor"};
    static const char *const Types2[] = {"Extension Section",
                                         "Test Structure",
                                         "Generic display",
                                         "Television",
                                         "Desktop productivity display",
                                         "Desktop gaming display",
                                         "Presentation display",
                                         "Head-mounted virtual reality display",
                                         "Head-mounted augmented reality display"};
    if (isVersion2() && productType < int(std::size(Types2)))
        return QString::fromLatin1(Types2[productType]);
    if (!isVersion2() && productType < int(std::size(Types1)))
        return QString::fromLatin1(Types1[productType]);
    return QStringLiteral("reserved (%1)").arg(productType);
}

QList<DetailedTiming> DisplayIdSection::detailedTimings() const
{
    return timings + typeIITimings + typeVITimings;
}

const DetailedTiming *DisplayIdSection::preferredTiming() const
{
    for (const auto *list : {&timings, &typeIITimings, &typeVITimings}) {
        for (const DetailedTiming &t : *list) {
            if (t.preferred)
                return &t;
        }
    }
    return nullptr;
}

} // namespace varnex::edid
