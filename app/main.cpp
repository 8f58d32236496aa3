#include "DialogFont.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyDialogFont(app);
    // The window is not destroyed when the event loop ends: closing it from
    // its frame only ends the loop, whose result is the exit status.
    auto *window = new MainWindow;
    window->show();
    return app.exec();
}
