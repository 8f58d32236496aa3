#include "DeviceLinkMessageBox.h"

#include <QMessageBox>

std::unique_ptr<QMessageBox> DeviceLinkMessageBox::build(const QString &text)
{
    // No parent: the box must also appear while the window is being built.
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral(" "), text,
                                             QMessageBox::Ok);
    return box;
}

void DeviceLinkMessageBox::showMessage(const QString &text)
{
    build(text)->exec();
}
