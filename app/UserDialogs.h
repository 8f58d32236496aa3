#pragma once

#include "capability/Capabilities.h"
#include "edit/ShapeRequest.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QUrl;
class QWidget;

// Every message box and file dialog of the window goes through this seam, so
// that tests can answer them without a human. QtUserDialogs builds the real
// modal boxes; tests use a recording fake.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // Warning box: warning icon, the single button OK, no default button. An
    // empty informativeText leaves the box without one.
    virtual void warning(QWidget *parent, const QString &title, const QString &text,
                         const QString &informativeText) = 0;
    // Information box: information icon, the single button OK.
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    // QMessageBox::about: rich text, the application icon, an OK button.
    virtual void about(QWidget *parent, const QString &title, const QString &text) = 0;
    // Hand-built question box without a parent window and without an icon:
    // text, informative text, the buttons Yes and No and no default button.
    // An empty windowTitle leaves the box without a title of its own.
    // Returns true for Yes; closing the box counts as No.
    virtual bool askYesNo(const QString &windowTitle, const QString &text,
                          const QString &informativeText) = 0;
    // A question before data is lost, in the window's warning style: parent
    // the window, warning icon, the buttons Yes and No with No the default, so
    // that Enter keeps the data. Returns true for Yes; closing the box counts as No.
    virtual bool confirmWarning(QWidget *parent, const QString &title, const QString &text,
                                const QString &informativeText) = 0;
    // Modal file dialogs; an empty result means the user cancelled.
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;
    virtual QString getSaveFileName(QWidget *parent, const QString &caption,
                                    const QString &proposedName, const QString &filter) = 0;
    // A modal report too long for a box: `text` above `report`, which is
    // shown read-only in a fixed-width font, and a Close button.
    virtual void showReport(QWidget *parent, const QString &title, const QString &text,
                            const QString &report) = 0;
    // A small modal input for one value: a line edit showing `initial`, or,
    // with suggestions, an editable list of them. A maxLength above 0 stops
    // the typing at that many characters. Nothing when the user cancels.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label, const QString &initial,
                                           const QStringList &suggestions, int maxLength = 0) = 0;
    // The Shape dialog: `modes` as a checklist (all checked, in this order),
    // the checks RGB only, No HDR, No audio, No deep colour and an audio choice.
    // The modes left checked come back in `modes` only when the user unchecked
    // some. Nothing when the user cancels.
    virtual std::optional<varnex::edid::ShapeRequest>
    askShape(QWidget *parent, const QList<varnex::edid::CapabilityMode> &modes) = 0;
    // Opens `url` (a folder) in the desktop's own program for it; false when
    // none could be started.
    virtual bool openUrl(const QUrl &url) = 0;
};
