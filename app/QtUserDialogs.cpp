#include "QtUserDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

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

std::optional<QString> QtUserDialogs::askText(QWidget *parent, const QString &title,
                                              const QString &label, const QString &initial,
                                              const QStringList &suggestions)
{
    bool ok = false;
    QString text;
    if (suggestions.isEmpty()) {
        text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    } else {
        const int current = std::max<int>(0, suggestions.indexOf(initial));
        text = QInputDialog::getItem(parent, title, label, suggestions, current, true, &ok);
    }
    if (!ok)
        return std::nullopt;
    return text;
}
