#pragma once

#include "EditResult.h"

#include <QList>

#include <functional>

namespace varnex::edid {

// One edit bound to its arguments, e.g. [](auto &i) { return removeVic(i, 97); }.
using Edit = std::function<EditResult(const EdidImage &)>;

// Applies the edits in order, each on the result of the one before. Stops at
// the first refusal and returns it (its reason prefixed with the edit's
// number when there are several); the caller's image is never changed.
// The notes of the edits that found nothing to do are kept, in order.
EditResult applyEdits(const EdidImage &image, const QList<Edit> &edits);

} // namespace varnex::edid
