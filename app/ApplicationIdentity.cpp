#include "ApplicationIdentity.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEX_VERSION));
    // Lets the desktop match the window to its launcher (and its icon) on
    // Wayland; on X11 the desktop entry's StartupWMClass does this.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileName));
}

void applyWindowIcon()
{
    QIcon icon;
    const QDir folder(QString::fromLatin1(WindowIconFolder), QStringLiteral("*.png"));
    for (const QString &name : folder.entryList(QDir::Files))
        icon.addFile(folder.filePath(name));
    QGuiApplication::setWindowIcon(icon);
}
