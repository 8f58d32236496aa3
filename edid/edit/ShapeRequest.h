#pragma once

#include "EditResult.h"
#include "ModeRequest.h"
#include "ShortAudioDescriptor.h"

#include <QList>

#include <optional>

namespace varnex::edid {

// What a source may send, chosen at once (the window's Shape dialog).
struct ShapeRequest
{
    // The modes to keep, the preferred first; empty keeps the modes as they are.
    QList<ModeRequest> modes;
    bool rgbOnly = false;
    bool noHdr = false;
    bool noAudio = false;
    bool noDeepColor = false;
    // Replaces the audio formats; nothing keeps them.
    std::optional<QList<ShortAudioDescriptor>> audio;
};

// The request's edits in the order varnex-edid edit applies them (modes,
// HDR, RGB, audio removed, deep colour, then the audio formats), as one edit:
// refused as a whole when one part is, with the notes of parts already true.
EditResult applyShape(const EdidImage &image, const ShapeRequest &request);

} // namespace varnex::edid
