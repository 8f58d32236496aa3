#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// Printed after Qt's list of options and arguments.
const char EnvironmentHelp[] =
    "\nEnvironment:\n"
    "  VARNEX_BRIDGE     How the splitter is reached: usb (the default), sim (a\n"
    "                    simulated Varnex) or siusbxp:PATH (a bridge library).\n"
    "  VARNEX_SIM_STATE  File in which the simulated Varnex keeps its tables and mode.\n"
    "  VARNEX_SIM_TRACE  File to which the simulated Varnex logs every call.\n"
    "  VARNEX_USB_IDS    USB ids of the bridge, as vendor:product[,...] in hex.\n";

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's single-dash options (-platform, -reverse) must not read as bundles of short ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine",
        "Reads, edits, verifies and writes the EDID table of a Varnex video splitter."));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        QCoreApplication::translate("CommandLine", "Displays this help and exits."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CommandLine", "Displays version information and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("CommandLine",
                                    "EDID file (raw 256-byte image or hexadecimal text) to "
                                    "load after the table was read from the Varnex."),
        QStringLiteral("[file]"));

    const bool parsed = parser.parse(arguments);
    CommandLine result;
    const QString name = QCoreApplication::applicationName();
    if (parser.isSet(help)) {
        // Qt's usage line names the program by the path it was started with, or
        // by a placeholder before the application object exists.
        QString text = parser.helpText();
        text.remove(0, text.indexOf(QLatin1Char('\n')));
        result.action = CommandLine::Action::Help;
        result.output = QStringLiteral("Usage: %1 [options] [file]").arg(name) + text +
                        QString::fromLatin1(EnvironmentHelp);
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        result.output =
            name + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (!parsed) {
        result.action = CommandLine::Action::Error;
        result.output = name + QStringLiteral(": ") + parser.errorText() + QLatin1Char('\n');
    } else if (parser.positionalArguments().size() > 1) {
        result.action = CommandLine::Action::Error;
        result.output = name + QStringLiteral(": ") +
                        QCoreApplication::translate("CommandLine", "Only one file can be loaded.") +
                        QLatin1Char('\n');
    } else {
        result.fileName = parser.positionalArguments().value(0);
    }
    if (result.action == CommandLine::Action::Error)
        result.output += QCoreApplication::translate("CommandLine", "Try '%1 --help'.\n").arg(name);
    return result;
}
