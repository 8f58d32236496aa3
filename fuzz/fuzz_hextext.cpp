// The editor's hex text parse over any 8-bit text.
#include "FuzzCheck.h"
#include "HexText.h"

#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));

    EdidImage image{};
    const int groups = parseHexText(text, image);
    FUZZ_CHECK(groups >= -1 && groups <= EdidImageSize);

    // The window explains a failed parse by where it went wrong, so both must
    // agree on which texts fail.
    const std::optional<HexTextProblem> problem = findHexTextProblem(text);
    FUZZ_CHECK(problem.has_value() == (groups < 0));
    if (problem) {
        FUZZ_CHECK(problem->line >= 1 && problem->column >= 1);
        FUZZ_CHECK(!describeHexTextProblem(*problem).isEmpty());
        return 0;
    }

    // A parsed table survives formatting and parsing again unchanged.
    EdidImage again{};
    FUZZ_CHECK(parseHexText(formatHexText(image), again) == EdidImageSize);
    FUZZ_CHECK(again == image);

    if (size >= 3) {
        quint8 byte = 0;
        const int pair = ParseHexPair(reinterpret_cast<const char *>(data), &byte);
        FUZZ_CHECK(pair == HexPairStored || pair == HexPairBadSeparator || pair == HexPairBadDigit);
    }
    return 0;
}
