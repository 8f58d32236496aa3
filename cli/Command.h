#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace varnex::device {
class DeviceMessageSink;
}

namespace varnex::cli {

class Console;

// What a command runs with, once the command line has been accepted.
struct CommandContext
{
    const QCommandLineParser &parser; // global and the command's own options, parsed
    QStringList arguments;            // the command's positional arguments
    Console &console;
    device::DeviceMessageSink &deviceMessages; // the device link's messages, on the console
    QProcessEnvironment environment;           // the process's, with --bridge in VARNEX_BRIDGE
    QByteArray deviceLink;                     // --device; empty: the first Varnex
};

// One command of varnex-edid. The dispatcher checks options and argument
// counts before `run` is called; `run` returns the exit status.
struct Command
{
    // Arguments may be unlimited in number.
    static constexpr int Unlimited = -1;

    QString name;
    QString synopsis; // what follows the name in the usage line
    QString summary;  // one line for the command list
    QList<QCommandLineOption> options;
    int minArguments = 0;
    int maxArguments = 0; // or Unlimited
    std::function<int(CommandContext &)> run;
    // Checks option values and arguments before anything is opened: an error
    // text makes a usage error; empty, or no function, lets `run` go ahead.
    std::function<QString(const QCommandLineParser &, const QStringList &arguments)> check;
};

// Every command, in the order --help lists them. Adding a command is adding
// an entry here (Commands.cpp) and its run function.
const QList<Command> &allCommands();

} // namespace varnex::cli
