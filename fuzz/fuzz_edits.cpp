// The edits over any table: each either refuses or hands back a table whose
// checksums are right, and an edit of the CTA block leaves the base block's
// data alone.
#include "Checksum.h"
#include "FuzzCheck.h"
#include "edit/BaseBlockEdits.h"
#include "edit/CtaEdits.h"
#include "edit/EditSequence.h"
#include "edit/ModeRequest.h"
#include "edit/ModeShaping.h"
#include "edit/ShortAudioDescriptor.h"
#include "edit/SignalEdits.h"
#include "spec/DetailedTiming.h"
#include "spec/Units.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

namespace {

// Text arguments are short: a name holds 13 characters, a mode or audio spec a few more.
constexpr std::size_t LongestTextArgument = 40;

QString textArgument(FuzzedDataProvider &input)
{
    return QString::fromLatin1(input.ConsumeRandomLengthString(LongestTextArgument));
}

Timing timingArgument(FuzzedDataProvider &input)
{
    Timing timing;
    timing.pixelClockKHz = int(input.ConsumeIntegralInRange<quint32>(0, 2 * DtdMaxPixelClockKHz));
    timing.hActive = input.ConsumeIntegralInRange(-1, 5000);
    timing.hFrontPorch = input.ConsumeIntegralInRange(-1, 1100);
    timing.hSyncWidth = input.ConsumeIntegralInRange(-1, 1100);
    timing.hBackPorch = input.ConsumeIntegralInRange(-1, 5000);
    timing.vActive = input.ConsumeIntegralInRange(-1, 5000);
    timing.vFrontPorch = input.ConsumeIntegralInRange(-1, 70);
    timing.vSyncWidth = input.ConsumeIntegralInRange(-1, 70);
    timing.vBackPorch = input.ConsumeIntegralInRange(-1, 5000);
    timing.hSyncPositive = input.ConsumeBool();
    timing.vSyncPositive = input.ConsumeBool();
    timing.interlaced = input.ConsumeBool();
    timing.widthMm = input.ConsumeIntegralInRange(-1, 5000);
    timing.heightMm = input.ConsumeIntegralInRange(-1, 5000);
    return timing;
}

ShortAudioDescriptor audioArgument(FuzzedDataProvider &input)
{
    ShortAudioDescriptor sad;
    sad.format = input.ConsumeIntegralInRange(-1, 16);
    sad.channels = input.ConsumeIntegralInRange(-1, 9);
    sad.sampleRates = input.ConsumeIntegral<quint8>();
    sad.detail = input.ConsumeIntegral<quint8>();
    return sad;
}

// One edit with its arguments from the input; `ownsBaseBlock` tells whether
// it may change the base block's data.
Edit pickEdit(FuzzedDataProvider &input, bool *ownsBaseBlock)
{
    *ownsBaseBlock = false;
    switch (input.ConsumeIntegralInRange(0, 20)) {
    case 0:
        *ownsBaseBlock = true;
        return [name = textArgument(input)](const EdidImage &i) {
            return setDisplayProductName(i, name);
        };
    case 1:
        *ownsBaseBlock = true;
        return [timing = timingArgument(input)](const EdidImage &i) {
            return setPreferredTiming(i, timing);
        };
    case 2:
        *ownsBaseBlock = true;
        return
            [mode = textArgument(input)](const EdidImage &i) { return setPreferredMode(i, mode); };
    case 3:
        return [vic = input.ConsumeIntegralInRange(-1, 256)](const EdidImage &i) {
            return removeVic(i, vic);
        };
    case 4:
        return [vic = input.ConsumeIntegralInRange(-1, 256)](const EdidImage &i) {
            return addVic(i, vic);
        };
    case 5:
        return [format = input.ConsumeIntegralInRange(-1, 16)](const EdidImage &i) {
            return removeAudioFormat(i, format);
        };
    case 6:
        return
            [sad = audioArgument(input)](const EdidImage &i) { return addAudioDescriptor(i, sad); };
    case 7: {
        QList<ShortAudioDescriptor> sads;
        for (int n = input.ConsumeIntegralInRange(0, 12); n > 0; --n)
            sads.append(audioArgument(input));
        return [sads](const EdidImage &i) { return setAudioDescriptors(i, sads); };
    }
    case 8:
        return [speakers = input.ConsumeIntegral<quint32>()](const EdidImage &i) {
            return setSpeakerAllocation(i, speakers);
        };
    case 9:
        return [mhz = input.ConsumeIntegralInRange(-5, 400)](const EdidImage &i) {
            return setHdmiMaxTmdsClock(i, mhz);
        };
    case 10:
        return [](const EdidImage &i) { return removeHdrStaticMetadata(i); };
    case 11:
        return [](const EdidImage &i) { return removeHdmiForumBlocks(i); };
    case 12: {
        const std::string bytes = input.ConsumeRandomLengthString(LongestTextArgument);
        return [block = QByteArray(bytes.data(), qsizetype(bytes.size()))](const EdidImage &i) {
            return addDataBlock(i, block);
        };
    }
    case 13:
        return [mask = input.ConsumeIntegral<quint8>(), value = input.ConsumeIntegral<quint8>()](
                   const EdidImage &i) { return setCtaFlags(i, mask, value); };
    case 14:
        // EDID 1.4 keeps its colour encodings in the base block.
        *ownsBaseBlock = true;
        return [](const EdidImage &i) { return keepRgbOnly(i); };
    case 15:
        return [](const EdidImage &i) { return removeHdr(i); };
    case 16:
        return [](const EdidImage &i) { return removeAudio(i); };
    case 17:
        return [](const EdidImage &i) { return removeDeepColor(i); };
    case 18: {
        *ownsBaseBlock = true;
        const std::optional<QList<ModeRequest>> modes = parseModeList(textArgument(input));
        return [modes](const EdidImage &i) {
            return modes ? keepOnlyModes(i, *modes) : EditResult::refused("no mode list");
        };
    }
    case 19: {
        *ownsBaseBlock = true;
        const std::optional<ModeRequest> limit = parseModeRequest(textArgument(input));
        return [limit](const EdidImage &i) {
            return limit ? limitModes(i, *limit) : EditResult::refused("no mode");
        };
    }
    default: {
        QString error;
        const std::optional<ShortAudioDescriptor> sad = parseAudioSpec(textArgument(input), &error);
        FUZZ_CHECK(sad.has_value() || !error.isEmpty());
        return [sad](const EdidImage &i) {
            return sad ? addAudioDescriptor(i, *sad) : EditResult::refused("no audio spec");
        };
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    EdidImage image{};
    const std::vector<quint8> bytes = input.ConsumeBytes<quint8>(EdidImageSize);
    std::copy(bytes.begin(), bytes.end(), image.begin());
    // Mostly a table as a tool would save it; now and then with wrong checksums.
    if (input.ConsumeIntegral<quint8>() < 0xE0)
        correctChecksums(image);

    offeredModes(image);
    QList<Edit> edits;
    bool anyOwnsBaseBlock = false;
    for (int n = input.ConsumeIntegralInRange(1, 4); n > 0; --n) {
        bool ownsBaseBlock = false;
        const Edit edit = pickEdit(input, &ownsBaseBlock);
        anyOwnsBaseBlock = anyOwnsBaseBlock || ownsBaseBlock;
        edits.append(edit);

        const EditResult result = edit(image);
        FUZZ_CHECK(result.ok() || !result.error.isEmpty());
        if (!result.ok())
            continue;
        FUZZ_CHECK(blockChecksumCorrect(*result.image, 0));
        FUZZ_CHECK(blockChecksumCorrect(*result.image, 1));
        if (!ownsBaseBlock)
            FUZZ_CHECK(std::equal(image.begin(), image.begin() + EdidChecksumOffset,
                                  result.image->begin()));
    }

    const EdidImage before = image;
    const EditResult all = applyEdits(image, edits);
    FUZZ_CHECK(image == before);
    FUZZ_CHECK(all.ok() || !all.error.isEmpty());
    if (all.ok()) {
        FUZZ_CHECK(blockChecksumCorrect(*all.image, 0));
        FUZZ_CHECK(blockChecksumCorrect(*all.image, 1));
        if (!anyOwnsBaseBlock)
            FUZZ_CHECK(
                std::equal(image.begin(), image.begin() + EdidChecksumOffset, all.image->begin()));
    }
    return 0;
}
