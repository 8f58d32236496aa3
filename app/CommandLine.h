#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the utility.
struct CommandLine
{
    enum class Action
    {
        Run,     // open the window
        Help,    // print `output` on standard output and end with status 0
        Version, // the same
        Error,   // print `output` on standard error and end with CommandLineErrorStatus
    };
    Action action = Action::Run;
    QString fileName; // Run: the EDID file to load after the start-up read, or empty
    QString output;
};

// Exit status after a command line the program does not understand (Qt's usual one).
inline constexpr int CommandLineErrorStatus = 1;

// Parses the arguments, program name first. Qt's own options (-platform,
// -style, ...) count as unknown here, so the program parses twice: before the
// application object exists, to answer --help and --version without a window
// system (help and version win over any error), and after, when Qt has
// taken its own options out. Needs setApplicationIdentity() first.
CommandLine parseCommandLine(const QStringList &arguments);
