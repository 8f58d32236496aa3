#pragma once

#include <QByteArray>

#include <glib-object.h>

#include <deque>
#include <list>
#include <vector>

class EmulatedBridge;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

// Answers the usbfs ioctls that libusb makes on one emulated device node, as
// the kernel would for `bridge`: capabilities, interface claims and kernel
// drivers, halts, and URBs (control, bulk OUT, bulk IN) submitted, reaped and
// discarded. Runs on umockdev's ioctl thread; every URB completes as soon as
// the device can complete it.
// Unlike a usbfs node, the emulated node (a socket) always polls writable, so
// libusb reaps again and again while it waits: CPU use measured in the bed is
// far above the real one.
class UsbfsHandler
{
public:
    explicit UsbfsHandler(EmulatedBridge &bridge);
    ~UsbfsHandler();
    UsbfsHandler(const UsbfsHandler &) = delete;
    UsbfsHandler &operator=(const UsbfsHandler &) = delete;

    // The object to attach to the device node; owned by this handler.
    UMockdevIoctlBase *ioctlObject() const { return m_object; }

private:
    struct Urb
    {
        UMockdevIoctlClient *client = nullptr;
        UMockdevIoctlData *data = nullptr;   // the usbdevfs_urb, owned
        UMockdevIoctlData *buffer = nullptr; // its buffer, owned
        QByteArray received;                 // data moved so far (IN: the bytes themselves)
    };

    static gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self);
    static void onClientVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self);
    // Returns the ioctl's result: 0 or more, or -errno.
    long handle(UMockdevIoctlClient *client);
    long submit(UMockdevIoctlClient *client, UMockdevIoctlData *argument);
    long reap(UMockdevIoctlClient *client, UMockdevIoctlData *argument);
    long discard(UMockdevIoctlClient *client, UMockdevIoctlData *argument);
    long usbfsIoctl(UMockdevIoctlData *argument);
    void finishControl(Urb &urb);
    // Completes whatever pending URBs the device can complete now.
    void service();
    // Moves a URB to the reapable ones; `received` gives its actual length.
    void complete(Urb urb, int status);
    static void drop(Urb &urb);

    EmulatedBridge &m_bridge;
    UMockdevIoctlBase *m_object = nullptr;
    std::list<Urb> m_pending;
    std::deque<Urb> m_completed;
    std::vector<Urb> m_released; // dropped after the current ioctl is answered
    UMockdevIoctlClient *m_claimant = nullptr;
};
