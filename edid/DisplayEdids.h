#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace varnex::edid {

// Where the kernel lists each display connector with its EDID.
inline constexpr char DefaultDrmDirectory[] = "/sys/class/drm";
// Names another folder laid out alike, for tests and for a saved copy.
inline constexpr char DrmDirectoryVariable[] = "VARNEX_DRM_DIR";

// A display connected to this computer, as its DRM connector shows it.
struct DisplayEdid
{
    QString connector;   // "HDMI-A-1"
    QString entryName;   // the connector's folder: "card0-HDMI-A-1"
    QByteArray edid;     // the edid file's bytes, never empty
    QString productName; // set by the ProductNamer given to listDisplayEdids

    // "HDMI-A-1: DELL U2720Q", or the connector alone while productName is empty.
    QString title() const;
};

// Gives the product name of an EDID; may return an empty string.
using ProductNamer = std::function<QString(const QByteArray &edid)>;

// The ProductNamer of both front ends: the display product name that the
// decoder finds in the base block, or an empty string when there is none.
QString decodedProductName(const QByteArray &edid);

// The DRM folder: VARNEX_DRM_DIR when set and not empty, else /sys/class/drm.
QString drmDirectory();

// The displays of `drmDir`, in the order of their folders' names: every
// subfolder holding a non-empty file "edid". A folder "cardN-NAME" gives
// the connector NAME; any other folder name is the connector itself.
// Connectors without a display (an empty edid file) and unreadable ones are
// left out. `productNameOf`, when set, fills in each productName. At most
// MaxImportTableSize bytes of an edid file are read.
QList<DisplayEdid> listDisplayEdids(const QString &drmDir = drmDirectory(),
                                    const ProductNamer &productNameOf = {});

// The display whose connector or folder name is `name`; the first of
// several with the same connector name (on different cards).
std::optional<DisplayEdid> findDisplayEdid(const QList<DisplayEdid> &displays, const QString &name);

} // namespace varnex::edid
