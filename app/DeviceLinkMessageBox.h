#pragma once

#include "DeviceMessageSink.h"

#include <memory>

class QMessageBox;

// Shows each device-link message in a modal box of its own: no parent window,
// the title " " (one blank), the warning icon, the fixed text and an OK
// button. Returns when the user has dismissed it.
class DeviceLinkMessageBox final : public varnex::device::DeviceMessageSink
{
public:
    void showMessage(const QString &text) override;

    // The box showMessage runs, built but not shown.
    static std::unique_ptr<QMessageBox> build(const QString &text);
};
