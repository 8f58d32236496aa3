// The device bodies of MainWindow: start-up, mode switch, EDID read and write.
#include "MainWindow.h"

#include "DeviceConnection.h"
#include "ProcessState.h"
#include "ui_DoctorForm.h"

void MainWindow::InitEDIDMode()
{
    ProcessState &state = processState();
    state.deviceSettings = varnex::device::DeviceSettings{};
    ui->EDIDtext->setEnabled(false);
    ui->dynamicEDID->setChecked(true);
}

void MainWindow::CheckEDIDStatus()
{
    processState().deviceSettings.automix = ui->dynamicEDID->isChecked() ? 1 : 0;
    ui->EDIDtext->setEnabled(!ui->dynamicEDID->isChecked());
}

bool MainWindow::ReadEDIDfromDevice()
{
    return false;
}

bool MainWindow::WriteEDIDtoDevice()
{
    return false;
}

bool MainWindow::openDevice()
{
    return m_services.connection && m_services.connection->openDevice();
}

void MainWindow::closeDevice()
{
    if (m_services.connection)
        m_services.connection->closeDevice();
}
