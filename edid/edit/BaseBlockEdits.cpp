#include "BaseBlockEdits.h"

#include "BaseDescriptors.h"
#include "Checksum.h"
#include "CtaExtension.h"
#include "ModeRequest.h"
#include "StandardModes.h"
#include "spec/Units.h"

#include <algorithm>

namespace varnex::edid {

namespace {

// Product name text: a line feed ends a shorter name, spaces pad it (E-EDID 1.4 section 3.10.3).
constexpr quint8 TextTerminator = 0x0A;
constexpr quint8 TextPadding = 0x20;
constexpr int DescriptorTextStart = 5;

QString notAnEdid()
{
    return QStringLiteral("The table does not start with an EDID header.");
}

int firstFreeSlotAfterPreferred(const EdidImage &image)
{
    for (int slot = 1; slot < BaseLayout::DescriptorCount; ++slot) {
        if (isFreeSlot(image, slot))
            return slot;
    }
    return -1;
}

// The preferred timing is the display's native mode: a CTA block that marks
// several DTDs native now marks one, and SVDs marked native for another
// resolution lose the mark, so that the native modes do not contradict it.
void adoptNativeMode(EdidImage &image, const Timing &timing)
{
    QString ignored;
    auto cta = CtaExtension::parse(image, &ignored);
    if (!cta)
        return;
    bool changed = false;
    if ((cta->flags & CtaNativeDtdMask) > 1) {
        cta->flags = quint8((cta->flags & ~CtaNativeDtdMask) | 1);
        changed = true;
    }
    for (QByteArray &block : cta->dataBlocks) {
        if (CtaExtension::tagOf(block) != CtaTag::Video)
            continue;
        for (qsizetype i = 1; i < block.size(); ++i) {
            const int vic = svdToVic(quint8(block[i]));
            const auto mode = standardModeForVic(vic);
            if (vic != quint8(block[i]) && mode &&
                (mode->timing.hActive != timing.hActive ||
                 mode->timing.vActive != timing.vActive)) {
                block[i] = char(vic);
                changed = true;
            }
        }
    }
    if (changed)
        cta->write(image, &ignored); // same size as before, so it fits
}

} // namespace

EditResult setDisplayProductName(const EdidImage &image, const QString &name)
{
    if (!hasEdidHeader(image))
        return EditResult::refused(notAnEdid());
    if (name.isEmpty())
        return EditResult::refused(QStringLiteral("The display name must not be empty."));
    if (name.size() > MaxProductNameLength)
        return EditResult::refused(
            QStringLiteral("The display name \"%1\" has %2 characters; at most %3 fit.")
                .arg(name)
                .arg(name.size())
                .arg(MaxProductNameLength));
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return EditResult::refused(
                QStringLiteral("The display name may hold printable ASCII characters only."));
    }
    int slot = findDisplayDescriptor(image, DisplayDescriptorTag::ProductName);
    if (slot < 0)
        slot = firstFreeSlotAfterPreferred(image);
    if (slot < 0)
        return EditResult::refused(
            QStringLiteral("The base block has no name descriptor and no free descriptor slot."));

    EdidImage edited = image;
    quint8 *d = edited.data() + descriptorOffset(slot);
    std::fill(d, d + DetailedDescriptorSize, quint8(0));
    d[3] = DisplayDescriptorTag::ProductName;
    std::fill(d + DescriptorTextStart, d + DetailedDescriptorSize, TextPadding);
    const QByteArray text = name.toLatin1();
    std::copy(text.cbegin(), text.cend(), d + DescriptorTextStart);
    if (text.size() < MaxProductNameLength)
        d[DescriptorTextStart + text.size()] = TextTerminator;
    correctChecksums(edited);
    return EditResult::done(edited);
}

EditResult setPreferredTiming(const EdidImage &image, const Timing &timing)
{
    if (!hasEdidHeader(image))
        return EditResult::refused(notAnEdid());
    const QString mode = timing.label();
    if (timing.pixelClockKHz > DtdMaxPixelClockKHz)
        return EditResult::refused(
            QStringLiteral("%1 needs a pixel clock of %2 MHz; a detailed timing holds at most "
                           "%3 MHz.")
                .arg(mode)
                .arg(timing.pixelClockKHz / 1000.0, 0, 'f', 2)
                .arg(DtdMaxPixelClockKHz / 1000.0, 0, 'f', 2));
    if (const auto limits = readRangeLimits(image)) {
        const QString why = rangeLimitsViolation(*limits, timing);
        if (!why.isEmpty())
            return EditResult::refused(
                QStringLiteral("%1 is beyond what the table allows: %2.").arg(mode, why));
    }

    EdidImage edited = image;
    Timing sized = timing;
    const auto replaced = decodeDetailedTiming(image.data() + descriptorOffset(0));
    if (sized.widthMm == 0 && sized.heightMm == 0) {
        if (replaced) {
            sized.widthMm = replaced->widthMm;
            sized.heightMm = replaced->heightMm;
        } else {
            sized.widthMm = image[BaseLayout::WidthCm] * 10;
            sized.heightMm = image[BaseLayout::HeightCm] * 10;
        }
    }
    const auto bytes = encodeDetailedTiming(sized);
    if (!bytes)
        return EditResult::refused(
            QStringLiteral("%1 does not fit a detailed timing descriptor.").arg(mode));

    if (!replaced && !isFreeSlot(image, 0)) {
        const int target = firstFreeSlotAfterPreferred(image);
        if (target < 0)
            return EditResult::refused(
                QStringLiteral("The first descriptor slot holds a display descriptor and no free "
                               "slot is left to move it to."));
        std::copy_n(image.data() + descriptorOffset(0), DetailedDescriptorSize,
                    edited.data() + descriptorOffset(target));
    }
    std::copy(bytes->cbegin(), bytes->cend(), edited.data() + descriptorOffset(0));
    adoptNativeMode(edited, timing);
    correctChecksums(edited);
    return EditResult::done(edited);
}

EditResult setPreferredMode(const EdidImage &image, const QString &modeText)
{
    const auto request = parseModeRequest(modeText);
    if (!request)
        return EditResult::refused(
            QStringLiteral("\"%1\" is not a mode of the form WIDTHxHEIGHT@HZ.").arg(modeText));
    const auto timing = timingForRequest(*request);
    if (!timing)
        return EditResult::refused(
            QStringLiteral("No timing can be made for \"%1\".").arg(modeText));
    return setPreferredTiming(image, *timing);
}

QList<OfferedMode> offeredModes(const EdidImage &image)
{
    QList<OfferedMode> modes;
    const auto add = [&modes](const OfferedMode &mode) {
        const bool known = std::any_of(modes.cbegin(), modes.cend(), [&](const OfferedMode &m) {
            return m.timing.sameTiming(mode.timing);
        });
        if (!known)
            modes.append(mode);
    };
    if (hasEdidHeader(image)) {
        for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot) {
            if (const auto t = decodeDetailedTiming(image.data() + descriptorOffset(slot)))
                add({*t, 0, descriptorOffset(slot)});
        }
    }
    QString ignored;
    const auto cta = CtaExtension::parse(image, &ignored);
    if (!cta)
        return modes;
    int dtdOffset = EdidBlockSize + image[EdidBlockSize + CtaLayout::DtdOffset];
    for (const QByteArray &dtd : cta->dtds) {
        if (const auto t = decodeDetailedTiming(reinterpret_cast<const quint8 *>(dtd.constData())))
            add({*t, 0, dtdOffset});
        dtdOffset += DetailedDescriptorSize;
    }
    for (const QByteArray &block : cta->dataBlocks) {
        if (CtaExtension::tagOf(block) != CtaTag::Video)
            continue;
        for (qsizetype i = 1; i < block.size(); ++i) {
            const int vic = svdToVic(quint8(block[i]));
            if (const auto standard = standardModeForVic(vic))
                add({standard->timing, vic, -1});
        }
    }
    return modes;
}

} // namespace varnex::edid
