#pragma once

#include "UserDialogs.h"

#include <memory>

class QDialog;
class QMessageBox;

// The real dialogs: modal QMessageBox and QFileDialog instances.
class QtUserDialogs final : public UserDialogs
{
public:
    void warning(QWidget *parent, const QString &title, const QString &text,
                 const QString &informativeText) override;
    void information(QWidget *parent, const QString &title, const QString &text) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    bool askYesNo(const QString &windowTitle, const QString &text,
                  const QString &informativeText) override;
    bool confirmWarning(QWidget *parent, const QString &title, const QString &text,
                        const QString &informativeText) override;
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &proposedName,
                            const QString &filter) override;
    void showReport(QWidget *parent, const QString &title, const QString &text,
                    const QString &report) override;
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                   const QString &initial, const QStringList &suggestions,
                                   int maxLength = 0) override;
    std::optional<varnex::edid::ShapeRequest>
    askShape(QWidget *parent, const QList<varnex::edid::CapabilityMode> &modes) override;
    bool openUrl(const QUrl &url) override;

    // The boxes before they are run; exposed so that their properties can be checked.
    static std::unique_ptr<QMessageBox> makeWarningBox(QWidget *parent, const QString &title,
                                                       const QString &text,
                                                       const QString &informativeText = {});
    static std::unique_ptr<QMessageBox> makeInformationBox(QWidget *parent, const QString &title,
                                                           const QString &text);
    static std::unique_ptr<QMessageBox> makeQuestionBox(const QString &windowTitle,
                                                        const QString &text,
                                                        const QString &informativeText);
    static std::unique_ptr<QDialog> makeReportDialog(QWidget *parent, const QString &title,
                                                     const QString &text, const QString &report);
    static std::unique_ptr<QMessageBox> makeConfirmWarningBox(QWidget *parent, const QString &title,
                                                              const QString &text,
                                                              const QString &informativeText);
};
