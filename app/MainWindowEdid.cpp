// The EDID data bodies of MainWindow: editor text, checksums and files.
#include "MainWindow.h"

#include "Checksum.h"
#include "EdidFile.h"
#include "HexText.h"
#include "UserDialogs.h"
#include "import/ImportResult.h"
#include "ui_DoctorForm.h"

#include <QColor>
#include <QFont>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

using namespace varnex::edid;

namespace {

// Point size of a table put into the editor as a whole text.
constexpr qreal WholeTablePointSize = 8;
// Name offered by the save dialog; a bare name, so the dialog's default folder is used.
const char ProposedSaveName[] = "Varnex_edid0.bin";

} // namespace

bool MainWindow::ReadEDIDfromFile()
{
    // "*" and not "*.*": on Linux many files have no dot in their name.
    const QString fileName = dialogs().getOpenFileName(this, tr("Open file"), QString(),
                                                       tr("Binary Files (*.bin);;All files (*)"));
    if (fileName.isEmpty())
        return false;
    return loadEdidFile(fileName);
}

bool MainWindow::loadEdidFile(const QString &fileName)
{
    QString error;
    const std::optional<QByteArray> data = readEdidFile(fileName, &error);
    if (!data) {
        warnUser(tr("Cannot read file %1:\n%2.").arg(fileName, error));
        return false;
    }
    showLoadedContents(interpretEdidFile(*data), tr("File loaded"));
    return true;
}

void MainWindow::showLoadedContents(const EdidFileContents &contents, const QString &loadedMessage,
                                    qsizetype tableSize)
{
    if (contents.kind == EdidFileKind::HexText)
        showWholeTable(QString::fromLatin1(contents.text), QColor(0, 0, 255, 255));
    else
        DisplayEDID(contents.image);
    m_typedSinceStored = false;

    if (contents.kind != EdidFileKind::Imported) {
        statusBar()->showMessage(loadedMessage, StatusMessageMs);
    } else {
        statusBar()->showMessage(tr("Imported from %1").arg(contents.imported.formName()),
                                 ImportMessageMs);
        tableSize = contents.imported.table.size();
    }
    if (const QString leftOut = leftOutDescription(tableSize); !leftOut.isEmpty()) {
        dialogs().information(this, tr("Varnex EDID Utility"),
                              tr("The table has %1 bytes. The Varnex takes the first %2; "
                                 "left out: %3.")
                                  .arg(tableSize)
                                  .arg(EdidImageSize)
                                  .arg(leftOut));
    }
}

bool MainWindow::WriteEDIDtoFile()
{
    return saveEditorTable(tr("Save File"), QString::fromLatin1(ProposedSaveName),
                           tr("Binary file (*.bin)"), writeEdidFile);
}

bool MainWindow::saveEditorTable(const QString &caption, const QString &proposedName,
                                 const QString &filter,
                                 bool (*write)(const QString &, const EdidImage &, QString *,
                                               const std::function<void()> &))
{
    EdidImage image;
    if (parseEditorOrWarn(image) < 0)
        return false;

    const QString fileName = dialogs().getSaveFileName(this, caption, proposedName, filter);
    if (fileName.isEmpty())
        return false;

    QString error;
    const auto opened = [this] { statusBar()->showMessage(tr("Saving file..."), StatusMessageMs); };
    if (!write(fileName, image, &error, opened)) {
        warnUser(tr("Cannot write file %1:\n%2.").arg(fileName, error));
        return false;
    }
    m_typedSinceStored = false;
    statusBar()->showMessage(tr("File saved"), StatusMessageMs);
    return true;
}

bool MainWindow::VerifyEDIDChecksum()
{
    EdidImage image;
    if (parseEditorOrWarn(image) < 0)
        return false;

    if (blockChecksumCorrect(image, 0) && blockChecksumCorrect(image, 1)) {
        DisplayEDID(image);
        statusBar()->showMessage(tr("Checksums are correct."), StatusMessageMs);
        return true;
    }
    if (!dialogs().askYesNo(QString(), QStringLiteral("The EDID Checksum is not correct."),
                            QStringLiteral("Do you want to calculate a new checksum?")))
        return false;
    correctChecksums(image);
    DisplayEDID(image);
    return true;
}

int MainWindow::ParseEDIDText(EdidImage &image) const
{
    // Characters outside Latin-1 become '?', which no group accepts.
    return parseHexText(ui->EDIDtext->toPlainText().toLatin1(), image);
}

int MainWindow::parseEditorOrWarn(EdidImage &image)
{
    const int count = ParseEDIDText(image);
    if (count < 0) {
        const std::optional<HexTextProblem> problem =
            findHexTextProblem(ui->EDIDtext->toPlainText().toLatin1());
        warnUser(tr("Hex Format Error"), problem ? describeHexTextProblem(*problem) : QString());
    }
    return count;
}

void MainWindow::replaceEditorContent(const std::function<void(QTextCursor &)> &write)
{
    ++m_programEdits;
    const auto done = qScopeGuard([this] { --m_programEdits; });
    QTextDocument *document = ui->EDIDtext->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    write(cursor);
    cursor.endEditBlock();
    // The user's cursor starts at the top of the new table, without a selection.
    ui->EDIDtext->setTextCursor(QTextCursor(document));
}

void MainWindow::showWholeTable(const QString &text, const QColor &colour)
{
    QTextCharFormat format;
    format.setFontPointSize(WholeTablePointSize);
    format.setForeground(colour);
    format.setFontWeight(QFont::Bold);
    // Plain text always: a file is never taken for rich text. The format is
    // given with the text, so nothing of the old content's format shows through.
    replaceEditorContent([&](QTextCursor &cursor) { cursor.insertText(text, format); });
    ui->EDIDtext->setCurrentCharFormat(format);
}

void MainWindow::DisplayEDID(const EdidImage &image)
{
    const QByteArray text = formatHexText(image);

    QTextCharFormat inner;
    inner.setForeground(QBrush(Qt::black));
    QTextCharFormat lineEnd;

    replaceEditorContent([&](QTextCursor &cursor) {
        for (int i = 0; i < EdidImageSize; ++i) {
            const QString digits = QString::fromLatin1(text.constData() + 3 * i, 2);
            if ((i + 1) % HexTextBytesPerLine != 0) {
                cursor.insertText(digits + QLatin1Char(' '), inner);
                continue;
            }
            // The checksum bytes end lines 7 and 15.
            const bool checksumByte = (i + 1) % EdidBlockSize == 0;
            lineEnd.setFontWeight(checksumByte ? QFont::Bold : QFont::Normal);
            lineEnd.setForeground(QBrush(checksumByte ? Qt::red : Qt::black));
            cursor.insertText(digits, lineEnd);
            cursor.insertText(QStringLiteral("\n"));
        }
    });
}
