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

    const edid::EdidFileContents contents = edid::interpretEdidFile(*data);
    switch (contents.kind) {
    case edid::EdidFileKind::RawImage:
        return *data;
    case edid::EdidFileKind::Imported:
        return contents.imported.table;
    case edid::EdidFileKind::HexText:
        break;
    }
    // The text as the window's editor parses it.
    const QByteArray text = edid::hexTextAsEdited(contents.text);
    edid::EdidImage image{};
    const int size = edid::parseHexText(text, image);
    if (size < 0) {
        const std::optional<edid::HexTextProblem> problem = edid::findHexTextProblem(text);
        console.message(QStringLiteral("%1: Hex Format Error: %2")
                            .arg(inputName(path), problem ? edid::describeHexTextProblem(*problem)
                                                          : QStringLiteral("not EDID hex text")));
        *exitStatus = ExitInvalidData;
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char *>(image.data()), size);
}

} // namespace varnex::cli
