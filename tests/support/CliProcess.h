#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The program varnex-edid run as a user runs it: a clean environment (no
// VARNEX_ variable of the caller's, the simulated Varnex) plus the test's
// own variables. Needs VARNEX_CLI_PROGRAM defined to the program's path.
namespace CliProcess {

using Environment = QMap<QString, QString>;

struct Run
{
    int exitCode = -1; // -1: did not start, crashed or did not finish
    QByteArray out;
    QByteArray err;
};

// Longest run: a write (32 frames with 50 ms pauses) or one 3 s time-out.
inline constexpr int FinishMilliseconds = 60000;

// Starts the program in `workingDirectory` without waiting for it, so that
// several can run at once; finish() collects each.
inline void start(QProcess &process, const QStringList &arguments, const QString &workingDirectory,
                  const Environment &extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("VARNEX_")))
            environment.remove(name);
    }
    environment.insert(QStringLiteral("VARNEX_BRIDGE"), QStringLiteral("sim"));
    for (auto it = extra.begin(); it != extra.end(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(VARNEX_CLI_PROGRAM), arguments);
}

// Gives `input` to a started program and waits for it to end.
inline Run finish(QProcess &process, const QByteArray &input = {})
{
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(FinishMilliseconds))
        return {};
    Run result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline Run run(const QStringList &arguments, const QString &workingDirectory,
               const Environment &extra = {}, const QByteArray &input = {})
{
    QProcess process;
    start(process, arguments, workingDirectory, extra);
    return finish(process, input);
}

} // namespace CliProcess
