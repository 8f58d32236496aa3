#include "EditSequence.h"

namespace varnex::edid {

EditResult applyEdits(const EdidImage &image, const QList<Edit> &edits)
{
    EdidImage current = image;
    QStringList notes;
    for (qsizetype i = 0; i < edits.size(); ++i) {
        EditResult result = edits[i](current);
        if (!result.ok()) {
            if (edits.size() > 1)
                result.error = QStringLiteral("Edit %1 of %2: %3")
                                   .arg(i + 1)
                                   .arg(edits.size())
                                   .arg(result.error);
            return result;
        }
        current = *result.image;
        notes += result.notes;
    }
    EditResult result = EditResult::done(current);
    result.notes = notes;
    return result;
}

} // namespace varnex::edid
