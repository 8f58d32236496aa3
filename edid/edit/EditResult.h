#pragma once

#include "EdidImage.h"

#include <QString>

#include <optional>

namespace varnex::edid {

// The outcome of one edit: the new image, or no image and the reason it was
// refused. A refused edit never hands back a partly changed image.
struct EditResult
{
    std::optional<EdidImage> image;
    QString error;

    bool ok() const { return image.has_value(); }

    static EditResult done(const EdidImage &image) { return {image, {}}; }
    static EditResult refused(const QString &reason) { return {std::nullopt, reason}; }
};

} // namespace varnex::edid
