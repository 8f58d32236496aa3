#include "DecodableInput.h"

#include "Console.h"
#include "EdidFile.h"
#include "ExitStatus.h"
#include "HexText.h"
#include "TableInput.h"

namespace varnex::cli {

std::optional<QByteArray> loadDecodable(const QString &path, Console &console, int *exitStatus)
{
    const std::optional<QByteArray> data = readInput(path, console, exitStatus);
    if (!data)
        return std::nullopt;

    if (data->isEmpty()) {
        console.message(QStringLiteral("%1: the file is empty; an EDID table has at least %2 bytes")
                            .arg(inputName(path))
                            .arg(edid::EdidBlockSize));
        *exitStatus = ExitInvalidData;
        return std::nullopt;
    }
    const edid::EdidFileContents contents = edid::interpretEdidFile(*data);
    switch (contents.kind) {
    case edid::EdidFileKind::RawImage:
        return *data;
    case edid::EdidFileKind::Imported:
        if (!contents.imported.note.isEmpty())
            console.message(QStringLiteral("%1: %2").arg(inputName(path), contents.imported.note));
        return contents.imported.table;
    case edid::EdidFileKind::HexText:
        break;
    }
    // The text as the window's editor parses it.
    const QByteArray text = edid::hexTextAsEdited(contents.text);
    edid::EdidImage image{};
    const int size = edid::parseHexText(text, image);
    if (size < 0) {
        console.message(
            QStringLiteral("%1: %2").arg(inputName(path), edid::describeUnreadableText(text)));
        *exitStatus = ExitInvalidData;
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char *>(image.data()), size);
}

} // namespace varnex::cli
