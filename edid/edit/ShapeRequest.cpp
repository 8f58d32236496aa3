#include "ShapeRequest.h"

#include "CtaEdits.h"
#include "EditSequence.h"
#include "ModeShaping.h"
#include "SignalEdits.h"

namespace varnex::edid {

EditResult applyShape(const EdidImage &image, const ShapeRequest &request)
{
    QList<Edit> edits;
    if (!request.modes.isEmpty())
        edits.append([&request](const EdidImage &i) { return keepOnlyModes(i, request.modes); });
    if (request.noHdr)
        edits.append(removeHdr);
    if (request.rgbOnly)
        edits.append(keepRgbOnly);
    if (request.noAudio)
        edits.append(removeAudio);
    if (request.noDeepColor)
        edits.append(removeDeepColor);
    if (request.audio && !request.noAudio)
        edits.append(
            [&request](const EdidImage &i) { return setAudioDescriptors(i, *request.audio); });
    return applyEdits(image, edits);
}

} // namespace varnex::edid
