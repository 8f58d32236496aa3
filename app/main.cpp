#include "BridgeFactory.h"
#include "DeviceConnection.h"
#include "DeviceLinkMessageBox.h"
#include "DialogFont.h"
#include "MainWindow.h"
#include "ProcessState.h"
#include "UsbBridge.h"

#include <QApplication>

#include <cstdio>

// Exit status when the environment names no usable bridge backend.
static constexpr int BadBackendStatus = 2;

int main(int argc, char *argv[])
{
    using namespace varnex::device;

    // Decided before any window exists, so that a wrong setting ends the
    // program with a clear word instead of a window that finds no device.
    BridgeBackend backend = createBridgeBackend(QProcessEnvironment::systemEnvironment());
    if (!backend.library) {
        std::fprintf(stderr, "varnex-edid-utility: %s\n", qPrintable(backend.error));
        return BadBackendStatus;
    }

    QApplication app(argc, argv);
    applyDialogFont(app);
    DeviceLinkMessageBox messageBox;
    UsbBridge bridge(*backend.library, messageBox);
    DeviceConnection connection(bridge, processState().deviceSettings);

    MainWindowServices services;
    services.connection = &connection;
    // The window is not destroyed when the event loop ends: closing it from
    // its frame only ends the loop, whose result is the exit status.
    auto *window = new MainWindow(services);
    window->show();
    return app.exec();
}
