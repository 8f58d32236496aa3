// Compose over any two tables: it either refuses with a reason or hands back
// a table with correct checksums, no error finding, and no mode that either
// input lacks.
#include "Checksum.h"
#include "FuzzCheck.h"
#include "capability/Capabilities.h"
#include "compose/Compose.h"
#include "decode/EdidDecoder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

namespace {

Capabilities capabilitiesOfImage(const EdidImage &image)
{
    return capabilitiesOf(
        decodeEdid(QByteArrayView(reinterpret_cast<const char *>(image.data()), image.size())));
}

EdidImage tableArgument(FuzzedDataProvider &input)
{
    EdidImage image{};
    const std::vector<quint8> bytes = input.ConsumeBytes<quint8>(EdidImageSize);
    std::copy(bytes.begin(), bytes.end(), image.begin());
    correctChecksums(image);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QList<ComposeInput> inputs{{QStringLiteral("a"), tableArgument(input)},
                                     {QStringLiteral("b"), tableArgument(input)}};
    const ComposeResult result = composeTables(inputs);
    FUZZ_CHECK(result.ok() != !result.error.isEmpty());
    if (!result.ok())
        return 0;
    FUZZ_CHECK(blockChecksumCorrect(*result.image, 0));
    FUZZ_CHECK(blockChecksumCorrect(*result.image, 1));
    const DecodedEdid decoded = decodeEdid(
        QByteArrayView(reinterpret_cast<const char *>(result.image->data()), EdidImageSize));
    FUZZ_CHECK(decoded.count(Severity::Error) == 0);
    const Capabilities composed = capabilitiesOf(decoded);
    for (const ComposeInput &in : inputs) {
        const Capabilities caps = capabilitiesOfImage(in.image);
        for (const CapabilityMode &mode : composed.modes) {
            // Every CTA-861 table implies 640x480p60; an analog input may not list it.
            if (mode.sources == QStringList{QStringLiteral("baseline")})
                continue;
            FUZZ_CHECK(std::any_of(caps.modes.cbegin(), caps.modes.cend(),
                                   [&](const CapabilityMode &m) { return sameMode(m, mode); }));
        }
    }
    return 0;
}
