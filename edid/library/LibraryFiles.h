#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnex::edid {

// How a whole file of the library folder was put in place.
enum class PlaceOutcome
{
    Placed,
    Exists, // PlaceNew only: a file of that name was there first; it is untouched
    Failed,
};

struct PlaceResult
{
    PlaceOutcome outcome = PlaceOutcome::Failed;
    QString error; // the file system's reason, for Failed
};

enum class PlaceMode
{
    New,     // create the file only if no file of that name exists
    Replace, // create it, or replace the existing one whole
};

// Writes `bytes` as the file `fileName` (a name without '/') in `folder`,
// which must exist. The bytes go to a hidden temporary file in the same
// folder, are flushed to disk and then take the name in one step: link()
// for New, which fails when the name is taken however many programs race
// for it, rename() for Replace. Readers see the old file or the new one,
// never part of one. The temporary name is removed before returning,
// whatever the outcome.
PlaceResult placeFile(const QString &folder, const QString &fileName, QByteArrayView bytes,
                      PlaceMode mode);

} // namespace varnex::edid
