#include "CommandLine.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnex-edid"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEX_VERSION));
    return varnex::cli::runCommandLine(QCoreApplication::arguments());
}
