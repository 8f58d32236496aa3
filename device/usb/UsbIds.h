#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace varnex::device::usb {

// A USB vendor and product id pair.
struct UsbId
{
    quint16 vendorId = 0;
    quint16 productId = 0;
    friend bool operator==(const UsbId &, const UsbId &) = default;
};

// The bridge's ids as it leaves the factory (its firmware may set others).
inline constexpr UsbId DefaultBridgeUsbId{0x10C4, 0xEA61};

// Environment variable with the accepted ids, e.g. "10c4:ea61,1234:5678".
inline constexpr char UsbIdsVariable[] = "VARNEX_USB_IDS";

struct UsbIdList
{
    QList<UsbId> ids;     // never empty
    QStringList rejected; // entries that were not "vvvv:pppp", as written
};

// Parses a comma-separated list of hexadecimal vendor:product pairs (1 to 4
// digits each, any case, blanks around entries allowed). Empty entries are
// skipped, malformed ones rejected and reported, repeats kept once. When no
// valid entry remains the default bridge id is used, so a typo never leaves the
// utility unable to find a factory-fresh bridge.
UsbIdList parseUsbIds(const QString &text);

} // namespace varnex::device::usb
