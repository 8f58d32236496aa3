#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

namespace varnex::edid {

// Writes all of `bytes` to an open device, retrying short writes so that a
// failing one leaves its reason in device.errorString(). False on failure.
bool writeAllBytes(QIODevice &device, QByteArrayView bytes);

// Writes `bytes` as the whole file `fileName`, for both front ends.
//
// A regular file (or a new one) gets the bytes in a temporary file that is
// renamed over it only once fully written, so on any failure an existing
// file keeps its contents and no partial file is left. An existing file that
// is neither a regular file nor a folder (a FIFO, a device node such as
// /dev/stdout) is written directly: renaming over it would put a regular
// file in its place. Opening a FIFO waits for its reader, as any writer does.
//
// `opened`, if set, runs once the target is open for writing. On failure
// returns false and sets *errorString (if given) to the reason.
bool writeWholeFile(const QString &fileName, QByteArrayView bytes, QString *errorString,
                    const std::function<void()> &opened = {});

} // namespace varnex::edid
