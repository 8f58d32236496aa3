// Starts as the program does and reports how long after VARNEX_BENCH_T0 (a
// CLOCK_MONOTONIC time in nanoseconds, set by the caller just before the
// start) the window was first exposed, and the peak memory of the process.
//   bench_startup_probe window        the utility's window on VARNEX_BRIDGE
//   bench_startup_probe bare W H      a bare QMainWindow of W x H
// Prints "shown_ms=... rss_kb=... size=WxH" and exits once the window is exposed.
#include "ApplicationIdentity.h"
#include "DeviceLinkMessageBox.h"
#include "DeviceStack.h"
#include "DialogFont.h"
#include "LeanStyle.h"
#include "MainWindow.h"
#include "ProcessState.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Reports the first expose of the watched window and ends the event loop.
class ExposeWatcher final : public QObject
{
public:
    ExposeWatcher(QWidget &widget, qint64 startNs) : m_widget(widget), m_startNs(startNs) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_done &&
            static_cast<QWindow *>(watched)->isExposed()) {
            m_done = true;
            const double shownMs = double(monotonicNanoseconds() - m_startNs) / 1e6;
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("shown_ms=%.3f rss_kb=%ld size=%dx%d\n", shownMs, usage.ru_maxrss,
                        m_widget.width(), m_widget.height());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget &m_widget;
    qint64 m_startNs;
    bool m_done = false;
};

int showAndWatch(QWidget &window, qint64 startNs)
{
    ExposeWatcher watcher(window, startNs);
    window.winId(); // creates the native window, so that its expose can be watched
    window.windowHandle()->installEventFilter(&watcher);
    window.show();
    return qApp->exec();
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace varnex::splitter;
    const qint64 startNs = qEnvironmentVariableIsSet("VARNEX_BENCH_T0")
                               ? qEnvironmentVariable("VARNEX_BENCH_T0").toLongLong()
                               : monotonicNanoseconds();
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("window");

    if (mode == "bare") {
        QApplication app(argc, argv);
        QMainWindow window;
        if (argc > 3)
            window.resize(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt());
        return showAndWatch(window, startNs);
    }

    // The steps of the program's main() up to the shown window.
    setApplicationIdentity();
    DeviceLinkMessageBox messageBox;
    const DeviceStackResult built = DeviceStack::create(QProcessEnvironment::systemEnvironment(),
                                                        messageBox, &processState().deviceSettings);
    if (!built.done()) {
        std::fprintf(stderr, "bench_startup_probe: %s\n", qPrintable(built.message));
        return 2;
    }
    QApplication app(argc, argv);
    applyDialogFont(app);
    applyLeanStyle(app);
    applyWindowIcon();
    MainWindowServices services;
    services.connection = &built.stack->connection();
    auto window = std::make_unique<MainWindow>(services);
    return showAndWatch(*window, startNs);
}
