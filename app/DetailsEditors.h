#pragma once

#include "edit/EditResult.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class UserDialogs;

// One edit the Details window offers on the editor's table. `run` asks the
// user for what it needs through the dialog seam and makes the edit with the
// core's functions; nothing when the user cancelled.
struct DetailsEdit
{
    QString objectName; // of the action that starts it
    QString text;       // the action's text
    std::function<std::optional<varnex::edid::EditResult>(const varnex::edid::EdidImage &image,
                                                          UserDialogs &dialogs, QWidget *parent)>
        run;
};

// The edits in menu order.
QList<DetailsEdit> detailsEdits();
