// The EDID data bodies of MainWindow: editor text, checksums and files.
#include "MainWindow.h"

bool MainWindow::ReadEDIDfromFile()
{
    return false;
}

bool MainWindow::WriteEDIDtoFile()
{
    return false;
}

bool MainWindow::VerifyEDIDChecksum()
{
    return false;
}

int MainWindow::ParseEDIDText(varnex::edid::EdidImage &image) const
{
    image.fill(0);
    return -1;
}

void MainWindow::DisplayEDID(const varnex::edid::EdidImage &) {}
