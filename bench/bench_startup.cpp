// The window's start-up against a bare QMainWindow of the same size: each is
// started as a process of its own (bench_startup_probe) until it is first
// exposed; figures are the time to that moment and the peak memory.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <algorithm>
#include <ctime>

namespace {

struct ProbeResult
{
    double shownMs = 0;
    double rssKb = 0;
    QString width;
    QString height;
    bool ok = false;
};

ProbeResult runProbe(const QStringList &arguments)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The window starts on the simulated Varnex, so that its start-up read is part of it.
    environment.insert("VARNEX_BRIDGE", "sim");
    environment.insert("VARNEX_BENCH_T0",
                       QString::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(VARNEX_STARTUP_PROBE, arguments);
    probe.waitForFinished(60000);
    const QString output = QString::fromLatin1(probe.readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(R"(shown_ms=([\d.]+) rss_kb=(\d+) size=(\d+)x(\d+))").match(output);
    ProbeResult result;
    if (probe.exitCode() != 0 || !match.hasMatch())
        return result;
    result.shownMs = match.captured(1).toDouble();
    result.rssKb = match.captured(2).toDouble();
    result.width = match.captured(3);
    result.height = match.captured(4);
    result.ok = true;
    return result;
}

void measure(benchmark::State &state, const QStringList &arguments)
{
    double rssKb = 0;
    for (auto _ : state) {
        const ProbeResult result = runProbe(arguments);
        if (!result.ok) {
            state.SkipWithError("the probe did not show its window");
            return;
        }
        state.SetIterationTime(result.shownMs / 1000.0);
        rssKb = std::max(rssKb, result.rssKb);
    }
    state.counters["peak_rss_kb"] = rssKb;
}

void BM_StartMainWindow(benchmark::State &state)
{
    measure(state, {"window"});
}
BENCHMARK(BM_StartMainWindow)->Unit(benchmark::kMillisecond)->Iterations(15)->UseManualTime();

void BM_StartBareMainWindow(benchmark::State &state)
{
    // The same size as the utility's window.
    const ProbeResult window = runProbe({"window"});
    if (!window.ok) {
        state.SkipWithError("the window probe failed");
        return;
    }
    measure(state, {"bare", window.width, window.height});
}
BENCHMARK(BM_StartBareMainWindow)->Unit(benchmark::kMillisecond)->Iterations(15)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
