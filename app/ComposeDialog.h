#pragma once

#include "EdidImage.h"
#include "compose/Compose.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QDialogButtonBox;
class QListWidget;
class QPlainTextEdit;
class UserDialogs;

// File, New from Several Displays...: the user checks this computer's
// displays (listed as Load from Display lists them), adds files and may
// include the splitter's current table. OK composes one table all of them
// accept and hands it over through `composed`, then shows the report in the
// dialog; the next OK closes it. When nothing can be composed the reason is
// shown and the dialog stays open.
class ComposeDialog : public QDialog
{
    Q_OBJECT

public:
    // Reads the splitter's table, telling the user why when it cannot.
    using SplitterReader = std::function<std::optional<varnex::edid::EdidImage>()>;

    // `dialogs` (for the file dialog) must outlive this.
    ComposeDialog(QWidget *parent, UserDialogs &dialogs, SplitterReader readSplitter);

    // Adds a file to the list, checked. False, with the reason in the
    // report, when it holds no table.
    bool addFile(const QString &fileName);
    QListWidget *inputList() const { return m_inputs; }
    QCheckBox *splitterBox() const { return m_splitter; }
    QPlainTextEdit *reportView() const { return m_report; }
    // The result of the last OK.
    const varnex::edid::ComposeResult &result() const { return m_result; }

signals:
    void composed(const varnex::edid::EdidImage &image);

private:
    void askForFiles();
    void compose();

    UserDialogs &m_dialogs;
    SplitterReader m_readSplitter;
    QListWidget *m_inputs;
    QCheckBox *m_splitter;
    QPlainTextEdit *m_report;
    QDialogButtonBox *m_buttons;
    varnex::edid::ComposeResult m_result;
};
