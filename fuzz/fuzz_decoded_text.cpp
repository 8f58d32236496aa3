// What the command line makes of any decoded bytes: the text of `decode` and
// the JSON of `decode --json`. Kept apart from fuzz_decoder because building
// strings through Qt costs ten times the decoding.
#include "FuzzCheck.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const DecodedEdid edid =
        decodeEdid(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    FUZZ_CHECK(!QJsonDocument(toJson(edid)).toJson().isEmpty());
    FUZZ_CHECK(!toText(edid).isEmpty());
    return 0;
}
