#include "LibraryName.h"

#include <QList>

namespace varnex::edid {

namespace {

// How libraryFileName writes a leading dot.
const QString EscapedDot = QStringLiteral("%2E");
// The longest file name that Linux file systems take (NAME_MAX), in bytes.
constexpr qsizetype MaxFileNameBytes = 255;

bool isNameCharacter(char32_t ch)
{
    return QChar::isLetter(ch) || QChar::isDigit(ch) || ch == U' ' || ch == U'-' || ch == U'_' ||
           ch == U'.';
}

} // namespace

QString normalizedLibraryName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C);
}

std::optional<QString> libraryNameProblem(const QString &name)
{
    const QList<uint> characters = normalizedLibraryName(name).toUcs4();
    if (characters.isEmpty())
        return QStringLiteral("a library name cannot be empty");
    if (characters.size() > MaxLibraryNameLength) {
        return QStringLiteral("the library name \"%1\" is longer than %2 characters")
            .arg(name)
            .arg(MaxLibraryNameLength);
    }
    for (const uint ch : characters) {
        if (!isNameCharacter(char32_t(ch))) {
            return QStringLiteral("the library name \"%1\" contains \"%2\"; a name has only "
                                  "letters, digits, spaces, '-', '_' and '.'")
                .arg(name, QString::fromUcs4(reinterpret_cast<const char32_t *>(&ch), 1));
        }
    }
    if (libraryFileName(name).toUtf8().size() > MaxFileNameBytes)
        return QStringLiteral("the library name \"%1\" is too long for a file name").arg(name);
    return std::nullopt;
}

QString libraryFileName(const QString &name)
{
    QString stem = normalizedLibraryName(name);
    if (stem.startsWith(QLatin1Char('.')))
        stem.replace(0, 1, EscapedDot);
    return stem + QLatin1String(LibraryFileSuffix);
}

QString libraryNameOfFile(const QString &fileName)
{
    if (!fileName.endsWith(QLatin1String(LibraryFileSuffix)))
        return fileName;
    QString name = fileName.chopped(qsizetype(sizeof(LibraryFileSuffix) - 1));
    if (name.startsWith(EscapedDot))
        name.replace(0, EscapedDot.size(), QLatin1Char('.'));
    if (libraryNameProblem(name) || libraryFileName(name) != fileName)
        return fileName;
    return name;
}

} // namespace varnex::edid
