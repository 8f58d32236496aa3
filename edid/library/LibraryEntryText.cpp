#include "LibraryEntryText.h"

#include "EdidFile.h"
#include "HexText.h"
#include "import/LineReader.h"

namespace varnex::edid {

namespace {

const QLatin1String NameKey("name");
const QLatin1String NoteKey("note");
const QLatin1String AddedKey("added");
const QLatin1String SourceKey("source");

void appendField(QByteArray &text, QLatin1String key, const QString &value)
{
    const QString line = oneLineNote(value);
    if (!line.isEmpty())
        text += "# " + QByteArray(key.data(), key.size()) + ": " + line.toUtf8() + '\n';
}

} // namespace

QString oneLineNote(const QString &note)
{
    QString line = note;
    for (QChar &ch : line) {
        if (ch.category() == QChar::Other_Control || ch == QChar::LineSeparator ||
            ch == QChar::ParagraphSeparator)
            ch = QLatin1Char(' ');
    }
    return line.trimmed();
}

QByteArray formatLibraryEntry(const LibraryEntryHeader &header, const EdidImage &image)
{
    QByteArray text;
    appendField(text, NameKey, header.name);
    appendField(text, NoteKey, header.note);
    appendField(text, AddedKey, header.added);
    appendField(text, SourceKey, header.source);
    return text + formatHexText(image);
}

LibraryEntryHeader parseLibraryEntryHeader(QByteArrayView data)
{
    LibraryEntryHeader header;
    forms::LineReader lines(data);
    QByteArrayView line;
    while (lines.next(line) && line.startsWith('#')) {
        const QString text = QString::fromUtf8(line.sliced(1)).trimmed();
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = text.first(colon).trimmed();
        const QString value = text.sliced(colon + 1).trimmed();
        if (key == NameKey)
            header.name = value;
        else if (key == NoteKey)
            header.note = value;
        else if (key == AddedKey)
            header.added = value;
        else if (key == SourceKey)
            header.source = value;
    }
    return header;
}

std::optional<EdidImage> libraryTableOfFile(QByteArrayView data)
{
    const EdidFileContents contents = interpretEdidFile(data);
    switch (contents.kind) {
    case EdidFileKind::RawImage:
        if (!isWholeTableSize(data.size()))
            return std::nullopt;
        return contents.image;
    case EdidFileKind::Imported:
        return contents.imported.image();
    case EdidFileKind::HexText:
        break;
    }
    EdidImage image{};
    if (!isWholeTableSize(parseHexText(hexTextAsEdited(contents.text), image)))
        return std::nullopt;
    return image;
}

} // namespace varnex::edid
