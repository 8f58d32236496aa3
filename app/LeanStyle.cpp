#include "LeanStyle.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>

namespace {

// The menu bar asks for these at construction; its extension button appears
// only when the menus do not fit, which they always do in the fixed-size window.
class LeanStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton ||
            icon == SP_ToolBarVerticalExtensionButton)
            return QIcon();
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void applyLeanStyle(QApplication &app)
{
    // The proxy takes the application's current style and is owned by the application.
    app.setStyle(new LeanStyle);
}
