// The EDID data bodies of MainWindow: editor text, checksums and files.
#include "MainWindow.h"

#include "Checksum.h"
#include "EdidFile.h"
#include "HexText.h"
#include "UserDialogs.h"
#include "ui_DoctorForm.h"

#include <QColor>
#include <QFont>
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
    const QString fileName = dialogs().getOpenFileName(this, tr("Open file"), QString(),
                                                       tr("Binary Files (*.bin);;All files (*.*)"));
    if (fileName.isEmpty())
        return false;

    QString error;
    const std::optional<QByteArray> data = readEdidFileHead(fileName, &error);
    if (!data) {
        warnUser(tr("Cannot read file %1:\n%2.").arg(fileName, error));
        return false;
    }

    const EdidFileContents contents = interpretEdidFile(*data);
    if (contents.kind == EdidFileKind::RawImage) {
        DisplayEDID(contents.image);
    } else {
        showWholeTable(QString::fromLatin1(contents.text), QColor(0, 0, 255, 255));
    }
    statusBar()->showMessage(tr("File loaded"), StatusMessageMs);
    return true;
}

bool MainWindow::WriteEDIDtoFile()
{
    EdidImage image;
    if (ParseEDIDText(image) < 0) {
        warnUser(tr("Hex Format Error"));
        return false;
    }

    const QString fileName = dialogs().getSaveFileName(
        this, tr("Save File"), QString::fromLatin1(ProposedSaveName), tr("Binary file (*.bin)"));
    if (fileName.isEmpty())
        return false;

    QString error;
    const auto opened = [this] { statusBar()->showMessage(tr("Saving file..."), StatusMessageMs); };
    if (!writeEdidFile(fileName, image, &error, opened)) {
        warnUser(tr("Cannot write file %1:\n%2.").arg(fileName, error));
        return false;
    }
    statusBar()->showMessage(tr("File saved"), StatusMessageMs);
    return true;
}

bool MainWindow::VerifyEDIDChecksum()
{
    EdidImage image;
    if (ParseEDIDText(image) < 0) {
        warnUser(tr("Hex Format Error"));
        return false;
    }

    if (blockChecksumCorrect(image, 0) && blockChecksumCorrect(image, 1)) {
        DisplayEDID(image);
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

void MainWindow::showWholeTable(const QString &text, const QColor &colour)
{
    QTextCharFormat format;
    format.setFontPointSize(WholeTablePointSize);
    format.setForeground(colour);
    format.setFontWeight(QFont::Bold);
    // Plain text always: a file is never taken for rich text. setPlainText
    // alone does not reliably keep the current format (it takes the format
    // at the cursor, which a selection made backwards leaves elsewhere), so
    // the format is applied to the whole new text explicitly.
    ui->EDIDtext->setPlainText(text);
    QTextCursor all(ui->EDIDtext->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(format);
    // Like a plain replacement, the new table is not undone step by step.
    ui->EDIDtext->document()->clearUndoRedoStacks();
    ui->EDIDtext->setCurrentCharFormat(format);
}

void MainWindow::DisplayEDID(const EdidImage &image)
{
    const QByteArray text = formatHexText(image);

    QTextCharFormat inner;
    inner.setForeground(QBrush(Qt::black));
    QTextCharFormat lineEnd;

    ui->EDIDtext->clear();
    QTextCursor cursor(ui->EDIDtext->document());
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::Start);
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
}
