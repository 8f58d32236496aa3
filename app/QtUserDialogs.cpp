#include "QtUserDialogs.h"

#include "ShapeDialog.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// Size of a report's text view, in pixels: about 90 columns of 25 lines.
constexpr int ReportViewWidth = 720;
constexpr int ReportViewHeight = 400;

std::unique_ptr<QMessageBox> makeOkBox(QMessageBox::Icon icon, QWidget *parent,
                                       const QString &title, const QString &text)
{
    auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, parent);
    // The box is run with exec() and destroyed by its owner, never by the parent.
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    return box;
}

} // namespace

std::unique_ptr<QMessageBox> QtUserDialogs::makeWarningBox(QWidget *parent, const QString &title,
                                                           const QString &text,
                                                           const QString &informativeText)
{
    auto box = makeOkBox(QMessageBox::Warning, parent, title, text);
    box->setInformativeText(informativeText);
    return box;
}

std::unique_ptr<QMessageBox>
QtUserDialogs::makeInformationBox(QWidget *parent, const QString &title, const QString &text)
{
    return makeOkBox(QMessageBox::Information, parent, title, text);
}

std::unique_ptr<QMessageBox> QtUserDialogs::makeQuestionBox(const QString &windowTitle,
                                                            const QString &text,
                                                            const QString &informativeText)
{
    auto box = std::make_unique<QMessageBox>();
    if (!windowTitle.isEmpty())
        box->setWindowTitle(windowTitle);
    box->setText(text);
    box->setInformativeText(informativeText);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box;
}

std::unique_ptr<QMessageBox> QtUserDialogs::makeConfirmWarningBox(QWidget *parent,
                                                                  const QString &title,
                                                                  const QString &text,
                                                                  const QString &informativeText)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, text,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setInformativeText(informativeText);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

void QtUserDialogs::warning(QWidget *parent, const QString &title, const QString &text,
                            const QString &informativeText)
{
    makeWarningBox(parent, title, text, informativeText)->exec();
}

bool QtUserDialogs::confirmWarning(QWidget *parent, const QString &title, const QString &text,
                                   const QString &informativeText)
{
    return makeConfirmWarningBox(parent, title, text, informativeText)->exec() == QMessageBox::Yes;
}

void QtUserDialogs::information(QWidget *parent, const QString &title, const QString &text)
{
    makeInformationBox(parent, title, text)->exec();
}

void QtUserDialogs::about(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::about(parent, title, text);
}

bool QtUserDialogs::askYesNo(const QString &windowTitle, const QString &text,
                             const QString &informativeText)
{
    return makeQuestionBox(windowTitle, text, informativeText)->exec() == QMessageBox::Yes;
}

QString QtUserDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString QtUserDialogs::getSaveFileName(QWidget *parent, const QString &caption,
                                       const QString &proposedName, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, proposedName, filter);
}

std::unique_ptr<QDialog> QtUserDialogs::makeReportDialog(QWidget *parent, const QString &title,
                                                         const QString &text, const QString &report)
{
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowTitle(title);
    auto *layout = new QVBoxLayout(dialog.get());
    auto *heading = new QLabel(text, dialog.get());
    heading->setWordWrap(true);
    layout->addWidget(heading);
    auto *view = new QPlainTextEdit(report, dialog.get());
    view->setObjectName(QStringLiteral("reportView"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Most field lines fit; longer ones wrap.
    view->setMinimumSize(ReportViewWidth, ReportViewHeight);
    layout->addWidget(view);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog.get());
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

void QtUserDialogs::showReport(QWidget *parent, const QString &title, const QString &text,
                               const QString &report)
{
    makeReportDialog(parent, title, text, report)->exec();
}

std::optional<QString> QtUserDialogs::askText(QWidget *parent, const QString &title,
                                              const QString &label, const QString &initial,
                                              const QStringList &suggestions, int maxLength)
{
    bool ok = false;
    QString text;
    if (suggestions.isEmpty()) {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setTextValue(maxLength > 0 ? initial.left(maxLength) : initial);
        // The line edit exists once the dialog has its text mode; the limit stops typing there.
        if (auto *edit = dialog.findChild<QLineEdit *>(); edit && maxLength > 0)
            edit->setMaxLength(maxLength);
        ok = dialog.exec() == QDialog::Accepted;
        text = dialog.textValue();
    } else {
        const int current = std::max<int>(0, suggestions.indexOf(initial));
        text = QInputDialog::getItem(parent, title, label, suggestions, current, true, &ok);
    }
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<varnex::edid::ShapeRequest>
QtUserDialogs::askShape(QWidget *parent, const QList<varnex::edid::CapabilityMode> &modes)
{
    ShapeDialog dialog(modes, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.request();
}

bool QtUserDialogs::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
