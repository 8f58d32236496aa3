#include "ApplicationIdentity.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

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
    for (const QString &name : folder.entryList(QDir::Files)) {
        // Read as PNG outright: QIcon::addFile would first ask every image
        // plugin whether it reads the file, loading them all.
        QImageReader reader(folder.filePath(name), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    QGuiApplication::setWindowIcon(icon);
}
