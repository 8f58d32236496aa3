#include "CommandLine.h"

#include "BridgeFactory.h"
#include "Command.h"
#include "Console.h"
#include "ConsoleMessageSink.h"
#include "ExitStatus.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace varnex::cli {

namespace {

const char ProgramName[] = "varnex-edid";
// Gap between an option's names and its description in --help.
constexpr qsizetype HelpColumnGap = 2;
// --help fits a terminal of 80 columns.
constexpr qsizetype HelpWidth = 79;
// Indent of a command's summary below its usage.
constexpr qsizetype SummaryIndent = 6;

struct GlobalOptions
{
    QCommandLineOption bridge{QStringLiteral("bridge"),
                              QStringLiteral("The bridge backend, as VARNEX_BRIDGE names it "
                                             "(usb, sim, siusbxp:PATH); takes precedence over "
                                             "VARNEX_BRIDGE."),
                              QStringLiteral("VALUE")};
    QCommandLineOption device{QStringLiteral("device"),
                              QStringLiteral("The Varnex with this link string, as 'devices' "
                                             "lists it (default: the first Varnex)."),
                              QStringLiteral("LINK")};
    QCommandLineOption quiet{
        {QStringLiteral("q"), QStringLiteral("quiet")},
        QStringLiteral("No progress bar, and no line after a completed write.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help, or the help of the command given.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Show the version.")};

    QList<QCommandLineOption> all() const { return {bridge, device, quiet, help, version}; }
};

void writeStandardOutput(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int usageError(const QString &text, const QString &helpCommand)
{
    const QString line = QStringLiteral("%1: %2\nTry '%1 %3--help' for more information.\n")
                             .arg(QLatin1String(ProgramName), text, helpCommand);
    const QByteArray bytes = line.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    return ExitUsage;
}

// `text` broken at blanks into lines that end by HelpWidth; the first line
// starts at column `indent` (the caller has written what comes before it), the
// others are indented to it. Ends with a line feed.
QString wrapped(const QString &text, qsizetype indent)
{
    QString result;
    qsizetype column = indent;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > HelpWidth) {
            result += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += word.size();
    }
    return result + QLatin1Char('\n');
}

QString optionNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" <%1>").arg(option.valueName());
    return text;
}

QString optionTable(const QString &title, const QList<QCommandLineOption> &options)
{
    qsizetype width = 0;
    for (const QCommandLineOption &option : options)
        width = std::max(width, optionNames(option).size());
    QString text = title + QStringLiteral(":\n");
    const qsizetype descriptionColumn = 2 + width + HelpColumnGap;
    for (const QCommandLineOption &option : options) {
        text += QStringLiteral("  ") + optionNames(option).leftJustified(width + HelpColumnGap) +
                wrapped(option.description(), descriptionColumn);
    }
    return text;
}

QString globalHelp(const GlobalOptions &global)
{
    QString text =
        QStringLiteral("Usage: varnex-edid [options] <command> [<arguments>]\n"
                       "\n"
                       "Reads, writes, checks, decodes, edits and converts the EDID table of a\n"
                       "Varnex video splitter: the command-line companion of the Varnex EDID\n"
                       "Utility.\n"
                       "\n"
                       "Commands:\n");
    for (const Command &command : allCommands()) {
        // A command without arguments has an empty synopsis and no blank after its name.
        const QString usage = (command.name + QLatin1Char(' ') + command.synopsis).trimmed();
        text += QStringLiteral("  %1\n").arg(usage) + QString(SummaryIndent, QLatin1Char(' ')) +
                wrapped(command.summary, SummaryIndent);
    }
    text += QLatin1Char('\n') + optionTable(QStringLiteral("Options"), global.all());
    text += QStringLiteral(
        "\n"
        "FILE arguments are raw tables (first byte 00), EDID hex text, or dumps of\n"
        "other tools, recognised by their content: edid-decode output, xxd, xxd -i\n"
        "and C arrays, hexdump -C, od -An -tx1, base64, the EDID of xrandr --verbose,\n"
        "an \"EDID BYTES:\" report. A 128-byte table is followed by 128 zero bytes; of\n"
        "a longer one the first 256 bytes are taken, with a note of what is left\n"
        "out. '-' is standard input, and '-o -' standard output; lib:NAME is the\n"
        "library's entry NAME (see 'library').\n"
        "decode and verify take every block of a raw file. 'varnex-edid COMMAND\n"
        "--help' shows the options of a command.\n"
        "\n"
        "Environment: VARNEX_BRIDGE chooses the bridge backend (usb, the default;\n"
        "sim, the simulated Varnex; siusbxp:PATH). The simulated Varnex reads\n"
        "VARNEX_SIM_STATE, VARNEX_SIM_TRACE, VARNEX_SIM_DEVICES and VARNEX_SIM_FAULTS.\n"
        "VARNEX_DRM_DIR is the folder that displays and --from-display read\n"
        "(default /sys/class/drm). VARNEX_LIBRARY_DIR is the library's folder\n"
        "(default $XDG_DATA_HOME/varnex-edid-utility/library).\n"
        "\n"
        "Exit status: 0 success; 1 the device or a file failed (a write that is\n"
        "not read back as sent included); 2 usage error; 3 the EDID data is\n"
        "invalid. diff exits as diff(1) does: 0 equal, 1 different, 2 trouble.\n");
    return text;
}

QString commandHelp(const Command &command, const GlobalOptions &global)
{
    QString text = QStringLiteral("Usage: varnex-edid [options] %1 %2")
                       .arg(command.name, command.synopsis)
                       .trimmed() +
                   QStringLiteral("\n\n") + wrapped(command.summary, 0);
    if (!command.options.isEmpty())
        text += QLatin1Char('\n') + optionTable(QStringLiteral("Options"), command.options);
    text += QLatin1Char('\n') + optionTable(QStringLiteral("Global options"), global.all());
    return text;
}

const Command *findCommand(const QString &name)
{
    const QList<Command> &commands = allCommands();
    const auto found =
        std::find_if(commands.begin(), commands.end(),
                     [&name](const Command &command) { return command.name == name; });
    return found == commands.end() ? nullptr : &*found;
}

} // namespace

int runCommandLine(const QStringList &arguments)
{
    const GlobalOptions global;

    // First pass, every option known: where is the command name?
    QCommandLineParser scan;
    scan.addOptions(global.all());
    QStringList seen;
    for (const Command &command : allCommands()) {
        for (const QCommandLineOption &option : command.options) {
            if (!seen.contains(option.names().constFirst())) {
                seen.append(option.names().constFirst());
                scan.addOption(option);
            }
        }
    }
    if (!scan.parse(arguments)) {
        // An option no command knows: if a command was named, its own help
        // lists what it takes, so the error points there.
        QCommandLineParser named;
        named.addOptions(global.all());
        named.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
        const Command *command = named.parse(arguments) && !named.positionalArguments().isEmpty()
                                     ? findCommand(named.positionalArguments().constFirst())
                                     : nullptr;
        return usageError(scan.errorText(), command ? command->name + QLatin1Char(' ') : QString());
    }
    if (scan.isSet(global.version)) {
        writeStandardOutput(QStringLiteral("%1 %2\n").arg(QLatin1String(ProgramName),
                                                          QCoreApplication::applicationVersion()));
        return ExitSuccess;
    }
    if (scan.positionalArguments().isEmpty()) {
        if (scan.isSet(global.help)) {
            writeStandardOutput(globalHelp(global));
            return ExitSuccess;
        }
        return usageError(QStringLiteral("no command given"), {});
    }
    const QString name = scan.positionalArguments().constFirst();
    const Command *command = findCommand(name);
    if (!command)
        return usageError(QStringLiteral("'%1' is not a command").arg(name), {});

    // Second pass: only the global options and the command's own.
    const QString helpCommand = command->name + QLatin1Char(' ');
    QCommandLineParser parser;
    parser.addOptions(global.all());
    parser.addOptions(command->options);
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), helpCommand);
    if (parser.isSet(global.help)) {
        writeStandardOutput(commandHelp(*command, global));
        return ExitSuccess;
    }
    const QStringList commandArguments = parser.positionalArguments().mid(1);
    if (commandArguments.size() < command->minArguments)
        return usageError(
            QStringLiteral("%1 needs more arguments: %1 %2").arg(command->name, command->synopsis),
            helpCommand);
    if (command->maxArguments != Command::Unlimited &&
        commandArguments.size() > command->maxArguments)
        return usageError(QStringLiteral("too many arguments for %1: %1 %2")
                              .arg(command->name, command->synopsis),
                          helpCommand);
    if (parser.isSet(global.bridge)) {
        // Named as the user gave it, not as the variable it stands in for.
        if (const QString problem = device::bridgeChoiceProblem(parser.value(global.bridge));
            !problem.isEmpty())
            return usageError(QStringLiteral("--bridge %1").arg(problem), helpCommand);
    }
    if (parser.isSet(global.device) && parser.value(global.device).isEmpty())
        return usageError(QStringLiteral("--device needs a link string"), helpCommand);
    if (command->check) {
        if (const QString error = command->check(parser, commandArguments); !error.isEmpty())
            return usageError(error, helpCommand);
    }

    Console console(!parser.isSet(global.quiet) && Console::standardErrorIsTerminal());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (parser.isSet(global.bridge))
        environment.insert(QLatin1String(device::BridgeVariable), parser.value(global.bridge));
    ConsoleMessageSink deviceMessages(console);
    CommandContext context{parser,         commandArguments, console,
                           deviceMessages, environment,      parser.value(global.device).toUtf8()};
    return command->run(context);
}

} // namespace varnex::cli
