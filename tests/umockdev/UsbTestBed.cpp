#include "UsbTestBed.h"

#include "UsbfsHandler.h"

#include <umockdev.h>

namespace {

// The bus every emulated device sits on, and the major number of usbfs nodes.
constexpr int BusNumber = 1;
constexpr int UsbDeviceMajor = 189;

// One line of a umockdev device description; sysfs attributes end in a newline.
QString attribute(const QString &name, const QString &value)
{
    return QStringLiteral("A: %1=%2\\n\n").arg(name, value);
}

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

UsbTestBed::UsbTestBed() : m_bed(umockdev_testbed_new()) {}

UsbTestBed::~UsbTestBed()
{
    for (Plugged &device : m_devices)
        umockdev_testbed_detach_ioctl(m_bed, qPrintable(device.deviceNode), nullptr);
    g_object_unref(m_bed);
}

bool UsbTestBed::isActive()
{
    // umockdev_in_mock_environment() keeps its first answer, which is "no"
    // when asked before any bed exists; the preload library itself is what counts.
    return qEnvironmentVariable("LD_PRELOAD").contains(QLatin1String("libumockdev-preload"));
}

EmulatedBridge &UsbTestBed::addBridge(EmulatedBridgeSetup setup)
{
    const int port = int(m_devices.size()) + 1;
    // Address 1 is the root hub's.
    const int address = port + 1;
    Plugged device;
    device.bridge = std::make_unique<EmulatedBridge>(std::move(setup));
    device.handler = std::make_unique<UsbfsHandler>(*device.bridge);
    device.sysfsPath =
        QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb%1/%1-%2").arg(BusNumber).arg(port);
    const QString node = QStringLiteral("bus/usb/%1/%2")
                             .arg(BusNumber, 3, 10, QLatin1Char('0'))
                             .arg(address, 3, 10, QLatin1Char('0'));
    device.deviceNode = QStringLiteral("/dev/") + node;

    const EmulatedBridgeSetup &bus = device.bridge->setup();
    const QString descriptors = QString::fromLatin1(device.bridge->descriptors().toHex().toUpper());
    QString description = QStringLiteral("P: %1\n").arg(device.sysfsPath.mid(4));
    description += QStringLiteral("N: %1=%2\n").arg(node, descriptors);
    description += QStringLiteral("E: DEVNAME=%1\n").arg(device.deviceNode);
    description += QStringLiteral("E: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: DRIVER=usb\n");
    description += QStringLiteral("E: BUSNUM=%1\n").arg(BusNumber, 3, 10, QLatin1Char('0'));
    description += QStringLiteral("E: DEVNUM=%1\n").arg(address, 3, 10, QLatin1Char('0'));
    description +=
        QStringLiteral("E: MAJOR=%1\nE: MINOR=%2\n").arg(UsbDeviceMajor).arg(address - 1);
    description += attribute("idVendor", hex4(bus.vendorId));
    description += attribute("idProduct", hex4(bus.productId));
    description += attribute("busnum", QString::number(BusNumber));
    description += attribute("devnum", QString::number(address));
    description += attribute("speed", "12");
    description += attribute("bConfigurationValue", "1");
    description += attribute("bNumInterfaces", " 1");
    description += attribute("dev", QStringLiteral("%1:%2").arg(UsbDeviceMajor).arg(address - 1));
    description += attribute("product", QString::fromLatin1(bus.product));
    if (!bus.serial.isEmpty())
        description += attribute("serial", QString::fromLatin1(bus.serial));
    description += QStringLiteral("H: descriptors=%1\n").arg(descriptors);

    GError *error = nullptr;
    if (!umockdev_testbed_add_from_string(m_bed, qPrintable(description), &error) ||
        !umockdev_testbed_attach_ioctl(m_bed, qPrintable(device.deviceNode),
                                       device.handler->ioctlObject(), &error)) {
        qFatal("USB test bed: cannot add %s: %s\n%s", qPrintable(device.sysfsPath), error->message,
               qPrintable(description));
    }
    m_devices.push_back(std::move(device));
    return *m_devices.back().bridge;
}

void UsbTestBed::unplug(EmulatedBridge &bridge)
{
    for (Plugged &device : m_devices) {
        if (device.bridge.get() != &bridge || bridge.isUnplugged())
            continue;
        bridge.unplug();
        // The handler stays attached, refusing everything, for the handles still open.
        umockdev_testbed_uevent(m_bed, qPrintable(device.sysfsPath), "remove");
        umockdev_testbed_remove_device(m_bed, qPrintable(device.sysfsPath));
    }
}

QProcessEnvironment UsbTestBed::environment() const
{
    // The bed lives in this process's environment (UMOCKDEV_DIR, LD_PRELOAD).
    return QProcessEnvironment::systemEnvironment();
}
