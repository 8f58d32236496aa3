#pragma once

#include "EdidImage.h"
#include "capability/Capabilities.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid {

// One display's table, with the name that stands for it in the report
// ("tv.bin", "display HDMI-A-1", "device").
struct ComposeInput
{
    QString name;
    EdidImage image{};
};

// The product name written when the user gives none.
inline const QString DefaultComposedName = QStringLiteral("Varnex Mix");

struct ComposeOptions
{
    // 1 to 13 printable ASCII characters.
    QString name = DefaultComposedName;
    // Gives the week and year of manufacture.
    QDate date = QDate::currentDate();
};

// A composed table, or why there is none.
struct ComposeResult
{
    std::optional<EdidImage> image;
    // The modes the table offers, the preferred one first.
    QList<CapabilityMode> modes;
    // What was dropped and why, one line each ("tv.bin: dropped 3840x2160@60
    // (not offered by monitor.bin)"), then what did not fit the table.
    QStringList report;
    // Set when there is no image: no mode common to all inputs, a name that
    // cannot be written, fewer than two inputs.
    QString error;

    bool ok() const { return image.has_value(); }
};

// One 256-byte table (base block and one CTA-861 block) whose capabilities
// are a subset of every input's: the modes all offer (the preferred one the
// largest progressive mode of 50 Hz or more, then the fastest), audio,
// colour formats, deep colour, HDR and HDMI blocks all share, the narrowest
// range limits and the smallest screen; identity "VNX" with `options`.
// Never changes an input; any bytes are accepted.
ComposeResult composeTables(const QList<ComposeInput> &inputs, const ComposeOptions &options = {});

} // namespace varnex::edid
