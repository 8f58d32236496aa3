// The Details window and the presets: the window's doors to the decoder and
// the edits of the core.
#include "MainWindow.h"

#include "EdidDetailsWindow.h"
#include "edit/Presets.h"
#include "ui_DoctorForm.h"

#include <QScreen>
#include <QStatusBar>

using namespace varnex::edid;

namespace {

// Gap between the main window and the Details window beside it, in pixels.
constexpr int DetailsGap = 8;

} // namespace

void MainWindow::showDetails()
{
    if (!m_details) {
        m_details = new EdidDetailsWindow(
            ui->EDIDtext, dialogs(), [this](const EdidImage &image) { DisplayEDID(image); }, this);
        // Beside the main window, on its right where the screen has room.
        const QRect frame = frameGeometry();
        QPoint place(frame.right() + DetailsGap, frame.top());
        if (const QScreen *screen = this->screen()) {
            const QRect available = screen->availableGeometry();
            if (place.x() + m_details->width() > available.right())
                place.setX(std::max(available.left(), frame.left() - DetailsGap -
                                                          m_details->frameGeometry().width()));
        }
        m_details->move(place);
    }
    m_details->show();
    m_details->raise();
    m_details->activateWindow();
}

void MainWindow::setUpPresetsMenu()
{
    for (const QString &name : presetNames()) {
        QAction *action = ui->menuPresets->addAction(presetTitle(name));
        action->setObjectName(QStringLiteral("preset_") + name);
        connect(action, &QAction::triggered, this, [this, name] { loadPreset(name); });
    }
}

bool MainWindow::loadPreset(const QString &name)
{
    const std::optional<EdidImage> image = buildPreset(name);
    if (!image || !discardTypedChangesOk())
        return false;
    DisplayEDID(*image);
    m_typedSinceStored = false;
    statusBar()->showMessage(tr("Preset loaded"), StatusMessageMs);
    return true;
}
