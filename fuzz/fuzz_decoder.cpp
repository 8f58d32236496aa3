// The EDID decoder over any bytes, with the tree and the summary the window
// shows. Its text and JSON renderings have their own, slower target.
#include "EdidImage.h"
#include "FuzzCheck.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"

#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedEdid edid = decodeEdid(bytes);

    // What was decoded is whole blocks taken from the front of the input.
    FUZZ_CHECK(edid.size == int(size));
    FUZZ_CHECK(edid.bytes.size() % EdidBlockSize == 0);
    FUZZ_CHECK(edid.bytes.size() <= qsizetype(size));
    FUZZ_CHECK(bytes.startsWith(edid.bytes));
    FUZZ_CHECK(edid.blocks.size() == edid.bytes.size() / EdidBlockSize);
    FUZZ_CHECK(edid.blocks.size() <= MaxEdidBlocks);
    FUZZ_CHECK(edid.base.has_value() == (size >= std::size_t(EdidBlockSize)));
    for (const Finding &finding : edid.findings) {
        FUZZ_CHECK(!finding.code.isEmpty() && !finding.message.isEmpty());
        FUZZ_CHECK(finding.block >= 0 && finding.offset >= 0);
    }

    // DisplayID lengths come from the data; what they give stays inside
    // the section's own extension block, before its checksum byte.
    for (const DisplayIdSection &s : edid.displayId) {
        const int start = s.block * EdidBlockSize;
        const int end = start + EdidChecksumOffset;
        FUZZ_CHECK(s.checksumAt.offset > start && s.checksumAt.offset < end);
        for (const DisplayIdDataBlock &d : s.dataBlocks)
            FUZZ_CHECK(d.at.offset > start && d.at.offset + d.at.length <= end);
        for (const DetailedTiming &t : s.timings)
            FUZZ_CHECK(t.at.offset > start && t.at.offset + t.at.length <= end);
    }

    decodedTree(edid);
    summarize(edid);
    return 0;
}
