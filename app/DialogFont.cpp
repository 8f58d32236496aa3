#include "DialogFont.h"

#include <QApplication>
#include <QFont>

void applyDialogFont(QApplication &app)
{
    // Point size of the dialog font the fixed layout was drawn for.
    constexpr int DialogFontPointSize = 8;
    QFont font(QStringLiteral("Liberation Sans"), DialogFontPointSize);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}
