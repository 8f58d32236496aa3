#include "EditorComparison.h"

#include "ByteDifferences.h"
#include "EdidComparison.h"
#include "EditorPanel.h"
#include "UserDialogs.h"
#include "WindowFeedback.h"

#include <QCoreApplication>
#include <QMainWindow>

using namespace varnex::edid;

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("EditorComparison", text);
}

} // namespace

std::optional<EdidImage> editorTableToCompare(EditorPanel &editor)
{
    return editor.wholeTableOrWarn(
        tr("The EDID table must have %1 bytes to be compared; the editor holds %2."));
}

void showComparison(WindowFeedback &feedback, const EdidImage &editor, const EdidImage &other,
                    const QString &otherName)
{
    const TableComparison comparison = compareTables(editor, other);
    const QString text =
        comparison.identical()
            ? tr("The table in the editor compared with %1:").arg(otherName)
            : tr("The table in the editor (A, left of each arrow) compared with %1 (B, "
                 "right): %2.")
                  .arg(otherName, describeDifferingOffsets(differingOffsets(editor, other)));
    feedback.dialogs().showReport(feedback.window(), tr("Varnex EDID Utility"), text,
                                  comparisonText(comparison));
}
