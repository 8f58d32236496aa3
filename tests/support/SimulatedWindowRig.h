#pragma once

#include "Checksum.h"
#include "EdidHeader.h"
#include "EdidTestData.h"
#include "FakeUserDialogs.h"
#include "HexText.h"
#include "MainWindow.h"
#include "MainWindowTestAccess.h"
#include "ProcessState.h"
#include "SimulatedRig.h"

#include <QPointer>
#include <QStatusBar>

// The window on a simulated Varnex (SimulatedRig over the process-wide
// device settings) with recorded dialogs. The window is made by start(), so
// that a test can prepare the splitter first; the rig deletes it unless it
// deleted itself (File, Exit).
struct SimulatedWindowRig
{
    explicit SimulatedWindowRig(QList<varnex::device::sim::SimulatedBridgeDevice> devices =
                                    {varnex::device::sim::SimulatedBridgeDevice{}})
        : device(processState().deviceSettings, std::move(devices))
    {
    }
    ~SimulatedWindowRig() { delete window.data(); }
    SimulatedWindowRig(const SimulatedWindowRig &) = delete;
    SimulatedWindowRig &operator=(const SimulatedWindowRig &) = delete;

    void start()
    {
        window = new MainWindow({&dialogs, &device.connection, [](int) {}});
        window->show();
    }
    MainWindowTestAccess access() { return MainWindowTestAccess(*window); }
    Ui::MainWindow &ui() { return access().ui(); }
    int count(varnex::device::sim::BridgeOperation operation) const
    {
        return device.count(operation);
    }
    QString status() const { return window->statusBar()->currentMessage(); }

    SimulatedRig device;
    FakeUserDialogs dialogs;
    QPointer<MainWindow> window;
};

// A valid table that differs from the simulator's own: a real one, which
// the checks before an upload pass without a question.
inline varnex::edid::EdidImage validTable()
{
    return EdidTestData::toImage(EdidTestData::readSample(QStringLiteral("dell-p2415q-hdmi2.0")));
}

// The table as the editor shows it after a read.
inline QString textOf(const varnex::edid::EdidImage &image)
{
    return QString::fromLatin1(varnex::edid::formatHexText(image));
}
