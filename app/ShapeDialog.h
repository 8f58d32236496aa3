#pragma once

#include "capability/Capabilities.h"
#include "edit/ShapeRequest.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

// The Shape dialog of the Details window: the table's modes as a checklist
// ("shapeModes", all checked, each with where the table offers it), the checks
// "shapeRgbOnly", "shapeNoHdr", "shapeNoAudio", "shapeNoDeepColor" and the
// audio choice "shapeAudio" (keep, or one LPCM layout). OK is enabled while a
// mode is checked.
class ShapeDialog : public QDialog
{
    Q_OBJECT

public:
    ShapeDialog(const QList<varnex::edid::CapabilityMode> &modes, QWidget *parent);

    // The choices as the core applies them; `modes` is empty while every mode is checked.
    varnex::edid::ShapeRequest request() const;

private:
    void updateOk();

    QList<varnex::edid::CapabilityMode> m_modes;
    QListWidget *m_list = nullptr;
    QCheckBox *m_rgbOnly = nullptr;
    QCheckBox *m_noHdr = nullptr;
    QCheckBox *m_noAudio = nullptr;
    QCheckBox *m_noDeepColor = nullptr;
    QComboBox *m_audio = nullptr;
    QPushButton *m_ok = nullptr;
};
