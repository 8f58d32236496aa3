#pragma once

#include "DeviceActions.h"
#include "MainWindow.h"
#include "ui_DoctorForm.h"

// The one door through which tests reach the window's form, its bodies and its parts.
class MainWindowTestAccess
{
public:
    explicit MainWindowTestAccess(MainWindow &window) : m_window(window) {}

    Ui::MainWindow &ui() { return *m_window.ui; }

    bool ReadEDIDfromDevice() { return m_window.ReadEDIDfromDevice(); }
    bool WriteEDIDtoDevice() { return m_window.WriteEDIDtoDevice(); }
    bool ReadEDIDfromFile() { return m_window.ReadEDIDfromFile(); }
    bool WriteEDIDtoFile() { return m_window.WriteEDIDtoFile(); }
    bool VerifyEDIDChecksum() { return m_window.VerifyEDIDChecksum(); }
    int ParseEDIDText(varnex::edid::EdidImage &image) { return m_window.ParseEDIDText(image); }
    void DisplayEDID(const varnex::edid::EdidImage &image) { m_window.DisplayEDID(image); }
    void SelectEdid(int index) { m_window.SelectEdid(index); }
    void createProgressIndicator() { m_window.m_device->createProgressIndicator(); }

private:
    MainWindow &m_window;
};
