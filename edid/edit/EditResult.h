#pragma once

#include "Checksum.h"
#include "EdidImage.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid {

// The outcome of one edit: the new image, or no image and the reason it was
// refused. A refused edit never hands back a partly changed image. An edit
// whose result the table already is succeeds with the image unchanged and a
// note saying so ("already without HDR"), so that a script may repeat it.
// Every image handed back has right checksums, that of an unchanged one too.
struct EditResult
{
    std::optional<EdidImage> image;
    QString error;
    QStringList notes;

    bool ok() const { return image.has_value(); }

    static EditResult done(const EdidImage &image) { return {image, {}, {}}; }
    static EditResult refused(const QString &reason) { return {std::nullopt, reason, {}}; }
    static EditResult unchanged(const EdidImage &image, const QString &note)
    {
        EdidImage checked = image;
        correctChecksums(checked);
        return {checked, {}, {note}};
    }
    // done(edited), or unchanged(original, note) when the edit changed no byte.
    static EditResult doneOrAlready(const EdidImage &original, const EdidImage &edited,
                                    const QString &note)
    {
        return original == edited ? unchanged(original, note) : done(edited);
    }
};

} // namespace varnex::edid
