#pragma once

#include "EmulatedBridge.h"

#include <QProcessEnvironment>
#include <QString>

#include <memory>
#include <vector>

class UsbfsHandler;
typedef struct _UMockdevTestbed UMockdevTestbed;

// A umockdev test bed in which emulated bridges sit on USB bus 1, each in its
// own port of the root hub (the first bridge's link name is "usb:1-1"), with
// its sysfs entry, its usbfs device node and UsbfsHandler answering there.
// The process must run with libumockdev-preload loaded (isActive()); the bed
// must exist before the USB layer starts and outlive it, and child processes
// started with environment() see the same devices.
class UsbTestBed
{
public:
    UsbTestBed();
    ~UsbTestBed();
    UsbTestBed(const UsbTestBed &) = delete;
    UsbTestBed &operator=(const UsbTestBed &) = delete;

    // True when umockdev's preload library redirects this process.
    static bool isActive();

    // Plugs in a bridge; the reference lives as long as the bed.
    EmulatedBridge &addBridge(EmulatedBridgeSetup setup = {});
    // Takes the device away: its sysfs entry and node vanish (a removal event
    // is sent) and every request on a handle still open fails as on a
    // disconnected device.
    void unplug(EmulatedBridge &bridge);
    // The environment of a program started inside the bed.
    QProcessEnvironment environment() const;

private:
    struct Plugged
    {
        std::unique_ptr<EmulatedBridge> bridge;
        std::unique_ptr<UsbfsHandler> handler;
        QString sysfsPath;
        QString deviceNode;
    };

    UMockdevTestbed *m_bed = nullptr;
    std::vector<Plugged> m_devices;
};
