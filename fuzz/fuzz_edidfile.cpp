// The file loader over any file contents: raw images, our hex text and every
// other tool's dump that the import recognises.
#include "EdidFile.h"
#include "FuzzCheck.h"
#include "HexText.h"
#include "import/ImportEdidText.h"

#include <cstddef>
#include <cstdint>

using namespace varnex::edid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const EdidFileContents contents = interpretEdidFile(bytes);
    switch (contents.kind) {
    case EdidFileKind::RawImage:
        FUZZ_CHECK(size == 0 || data[0] == 0);
        break;
    case EdidFileKind::HexText:
        FUZZ_CHECK(contents.text.size() <= EdidFileReadLimit);
        FUZZ_CHECK(!contents.imported.isValid());
        break;
    case EdidFileKind::Imported: {
        // What an import hands the editor is the table it found, as our text.
        FUZZ_CHECK(contents.imported.isValid());
        FUZZ_CHECK(isWholeTableSize(contents.imported.table.size()));
        FUZZ_CHECK(contents.image == contents.imported.image());
        EdidImage shown{};
        FUZZ_CHECK(parseHexText(contents.text, shown) == EdidImageSize);
        FUZZ_CHECK(shown == contents.image);
        FUZZ_CHECK(contents.imported.droppedBytes() >= 0);
        break;
    }
    }

    // The import on its own takes any length, not only what a file head holds.
    const ImportResult imported = importEdidText(bytes);
    FUZZ_CHECK(imported.isValid() == !imported.table.isEmpty());
    if (imported.isValid()) {
        FUZZ_CHECK(isWholeTableSize(imported.table.size()));
        FUZZ_CHECK(!imported.formName().isEmpty());
    }

    const QByteArray converted = convertHexFileLineEnds(bytes);
    FUZZ_CHECK(converted.size() <= EdidFileReadLimit);
    FUZZ_CHECK(!converted.contains('\0'));
    isAcceptedHexText(hexTextAsEdited(bytes));
    return 0;
}
