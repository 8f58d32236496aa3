#include "ApplicationIdentity.h"
#include "CommandLine.h"
#include "DeviceLinkMessageBox.h"
#include "DeviceStack.h"
#include "DialogFont.h"
#include "LeanStyle.h"
#include "MainWindow.h"
#include "ProcessState.h"

#include <QApplication>

#include <cstdio>

// Exit status when the environment names no usable bridge backend.
static constexpr int BadBackendStatus = 2;

int main(int argc, char *argv[])
{
    using varnex::splitter::DeviceStack;
    using varnex::splitter::DeviceStackResult;

    // --help and --version are answered before anything needs a display.
    setApplicationIdentity();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(arguments);
    if (early.action == CommandLine::Action::Help || early.action == CommandLine::Action::Version) {
        std::fputs(qPrintable(early.output), stdout);
        return 0;
    }

    // Decided before any window exists, so that a wrong setting ends the
    // program with a clear word instead of a window that finds no device.
    // The boxes of the device link need the application only once they are shown.
    DeviceLinkMessageBox messageBox;
    const DeviceStackResult built = DeviceStack::create(QProcessEnvironment::systemEnvironment(),
                                                        messageBox, &processState().deviceSettings);
    if (!built.done()) {
        std::fprintf(stderr, "varnex-edid-utility: %s\n", qPrintable(built.message));
        return BadBackendStatus;
    }

    QApplication app(argc, argv);
    // Qt has taken its own options out of the arguments by now.
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
    if (commandLine.action == CommandLine::Action::Error) {
        std::fputs(qPrintable(commandLine.output), stderr);
        return CommandLineErrorStatus;
    }
    applyDialogFont(app);
    applyLeanStyle(app);
    applyWindowIcon();

    MainWindowServices services;
    services.connection = &built.stack->connection();
    // The window is not destroyed when the event loop ends: closing it from
    // its frame only ends the loop, whose result is the exit status.
    auto *window = new MainWindow(services);
    window->show();
    // After the start-up read, so that the file is what the editor shows.
    if (!commandLine.fileName.isEmpty())
        window->loadEdidFile(commandLine.fileName);
    return app.exec();
}
