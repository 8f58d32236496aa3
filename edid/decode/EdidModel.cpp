#include "decode/EdidModel.h"

#include <algorithm>

namespace varnex::edid {

QString RangeLimits::timingSupportName() const
{
    switch (timingSupport) {
    case 0:
        return QStringLiteral("default GTF");
    case 1:
        return QStringLiteral("range limits only");
    case 2:
        return QStringLiteral("secondary GTF");
    case 4:
        return QStringLiteral("CVT");
    default:
        return QStringLiteral("reserved (%1)").arg(timingSupport);
    }
}

QString Descriptor::kindName() const
{
    switch (kind) {
    case DescriptorKind::DetailedTiming:
        return QStringLiteral("Detailed timing");
    case DescriptorKind::ProductName:
        return QStringLiteral("Display product name");
    case DescriptorKind::SerialString:
        return QStringLiteral("Display serial number");
    case DescriptorKind::DataString:
        return QStringLiteral("Data string");
    case DescriptorKind::RangeLimits:
        return QStringLiteral("Display range limits");
    case DescriptorKind::ColorPoint:
        return QStringLiteral("Colour point");
    case DescriptorKind::StandardTimings:
        return QStringLiteral("Standard timings");
    case DescriptorKind::ColorManagement:
        return QStringLiteral("Colour management data");
    case DescriptorKind::CvtCodes:
        return QStringLiteral("CVT 3-byte codes");
    case DescriptorKind::EstablishedTimings3:
        return QStringLiteral("Established timings III");
    case DescriptorKind::Dummy:
        return QStringLiteral("Dummy descriptor");
    case DescriptorKind::Manufacturer:
        return QStringLiteral("Manufacturer-specified descriptor");
    case DescriptorKind::Unknown:
        break;
    }
    return QStringLiteral("Unknown descriptor");
}

QString AnalogInput::signalLevelText() const
{
    // VESA E-EDID 1.4, table 3.11: video, sync and total levels in volts.
    static const char *const Levels[] = {
        "0.700 : 0.300 : 1.000 V p-p", "0.714 : 0.286 : 1.000 V p-p", "1.000 : 0.400 : 1.400 V p-p",
        "0.700 : 0.000 : 0.700 V p-p"};
    return QString::fromLatin1(Levels[signalLevel & 3]);
}

namespace {

template <typename Predicate>
const Descriptor *findDescriptor(const QList<Descriptor> &descriptors, Predicate predicate)
{
    const auto it = std::find_if(descriptors.begin(), descriptors.end(), predicate);
    return it == descriptors.end() ? nullptr : &*it;
}

std::optional<QString> textOf(const QList<Descriptor> &descriptors, DescriptorKind kind)
{
    const Descriptor *d =
        findDescriptor(descriptors, [kind](const Descriptor &x) { return x.kind == kind; });
    return d ? std::optional<QString>(d->text) : std::nullopt;
}

QList<TimingCode> timingsOf(const QList<Descriptor> &descriptors, DescriptorKind kind)
{
    QList<TimingCode> timings;
    for (const Descriptor &d : descriptors) {
        if (d.kind == kind)
            timings.append(d.timings);
    }
    return timings;
}

} // namespace

std::optional<QString> BaseBlock::name() const
{
    return textOf(descriptors, DescriptorKind::ProductName);
}

std::optional<QString> BaseBlock::serialString() const
{
    return textOf(descriptors, DescriptorKind::SerialString);
}

QStringList BaseBlock::dataStrings() const
{
    QStringList strings;
    for (const Descriptor &d : descriptors) {
        if (d.kind == DescriptorKind::DataString)
            strings.append(d.text);
    }
    return strings;
}

const RangeLimits *BaseBlock::rangeLimits() const
{
    const Descriptor *d =
        findDescriptor(descriptors, [](const Descriptor &x) { return bool(x.rangeLimits); });
    return d ? &*d->rangeLimits : nullptr;
}

QList<DetailedTiming> BaseBlock::detailedTimings() const
{
    QList<DetailedTiming> timings;
    for (const Descriptor &d : descriptors) {
        if (d.timing)
            timings.append(*d.timing);
    }
    return timings;
}

QList<TimingCode> BaseBlock::allEstablishedTimings() const
{
    return establishedTimings + timingsOf(descriptors, DescriptorKind::EstablishedTimings3);
}

QList<TimingCode> BaseBlock::allStandardTimings() const
{
    return standardTimings + timingsOf(descriptors, DescriptorKind::StandardTimings);
}

QList<TimingCode> BaseBlock::cvtTimings() const
{
    return timingsOf(descriptors, DescriptorKind::CvtCodes);
}

QString BaseBlock::versionText() const
{
    return QStringLiteral("%1.%2").arg(version).arg(revision);
}

QString blockTypeName(BlockType type)
{
    switch (type) {
    case BlockType::Base:
        return QStringLiteral("base");
    case BlockType::Cta:
        return QStringLiteral("CTA-861");
    case BlockType::Vtb:
        return QStringLiteral("VTB");
    case BlockType::Di:
        return QStringLiteral("DI");
    case BlockType::Ls:
        return QStringLiteral("LS");
    case BlockType::Dpvl:
        return QStringLiteral("DPVL");
    case BlockType::DisplayId:
        return QStringLiteral("DisplayID");
    case BlockType::Dtcdb:
        return QStringLiteral("DTCDB");
    case BlockType::BlockMap:
        return QStringLiteral("block map");
    case BlockType::Manufacturer:
        return QStringLiteral("manufacturer");
    case BlockType::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

int DecodedEdid::count(Severity severity) const
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [severity](const Finding &f) { return f.severity == severity; }));
}

} // namespace varnex::edid
