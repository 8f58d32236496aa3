#include "BridgeFactory.h"
#include "DeviceConnection.h"
#include "LinkSettings.h"
#include "RecordingMessageSink.h"
#include "StepClock.h"
#include "UsbBridge.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace varnex::device;

namespace {

QProcessEnvironment environmentWith(const QString &bridge)
{
    QProcessEnvironment environment;
    // No bridge of this machine can carry these ids, so the USB backend finds none.
    environment.insert(QStringLiteral("VARNEX_USB_IDS"), QStringLiteral("0001:0001"));
    if (!bridge.isNull())
        environment.insert(QLatin1String(BridgeVariable), bridge);
    return environment;
}

// How long a started program must stay up to count as running: enough to get
// past building the backend and the window.
constexpr int StaysUpMs = 700;

} // namespace

class TestBackends : public QObject
{
    Q_OBJECT

private slots:
    void factoryBuildsTheNamedBackend_data();
    void factoryBuildsTheNamedBackend();
    void factoryRejectsBadValues_data();
    void factoryRejectsBadValues();
    void simulatorUsesItsFiles();
    void programRefusesBadBackend_data();
    void programRefusesBadBackend();
    void programRunsOnEachBackend_data();
    void programRunsOnEachBackend();
};

void TestBackends::factoryBuildsTheNamedBackend_data()
{
    QTest::addColumn<QString>("bridge");
    QTest::addColumn<bool>("finds");

    QTest::newRow("unset: usb") << QString() << false;
    QTest::newRow("empty: usb") << QStringLiteral("") << false;
    QTest::newRow("usb") << QStringLiteral("usb") << false;
    QTest::newRow("sim") << QStringLiteral("sim") << true;
    QTest::newRow("siusbxp") << QStringLiteral("siusbxp:" FAKE_SIUSBXP_PATH) << true;
}

void TestBackends::factoryBuildsTheNamedBackend()
{
    QFETCH(QString, bridge);
    QFETCH(bool, finds);

    BridgeBackend backend = createBridgeBackend(environmentWith(bridge));
    QVERIFY2(backend.library, qPrintable(backend.error));
    QVERIFY(backend.error.isEmpty());

    RecordingMessageSink sink;
    UsbBridge usb(*backend.library, sink);
    LinkSettings settings;
    DeviceConnection connection(usb, settings, StepClock().function(), [](quint32) {});
    QCOMPARE(connection.openDevice(), finds);
    connection.closeDevice();
    QVERIFY(sink.messages.isEmpty());
}

void TestBackends::factoryRejectsBadValues_data()
{
    QTest::addColumn<QString>("bridge");
    QTest::addColumn<QStringList>("mentions");

    const QStringList accepted{"VARNEX_BRIDGE", "\"usb\"", "\"sim\"", "\"siusbxp:PATH\""};
    QTest::newRow("unknown") << QStringLiteral("bogus") << accepted + QStringList{"bogus"};
    QTest::newRow("upper case") << QStringLiteral("SIM") << accepted;
    QTest::newRow("prefix without colon") << QStringLiteral("siusbxp") << accepted;
    QTest::newRow("no path") << QStringLiteral("siusbxp:") << QStringList{"path"};
    QTest::newRow("missing library")
        << QStringLiteral("siusbxp:/nonexistent/lib.so") << QStringList{"/nonexistent/lib.so"};
    QTest::newRow("missing symbol") << QStringLiteral("siusbxp:" FAKE_SIUSBXP_INCOMPLETE_PATH)
                                    << QStringList{FAKE_SIUSBXP_INCOMPLETE_PATH, "SI_CheckRXQueue"};
}

void TestBackends::factoryRejectsBadValues()
{
    QFETCH(QString, bridge);
    QFETCH(QStringList, mentions);

    const BridgeBackend backend = createBridgeBackend(environmentWith(bridge));
    QVERIFY(!backend.library);
    for (const QString &word : mentions)
        QVERIFY2(backend.error.contains(word), qPrintable(backend.error));
}

void TestBackends::simulatorUsesItsFiles()
{
    QTemporaryDir dir;
    QProcessEnvironment environment = environmentWith(QStringLiteral("sim"));
    const QString state = dir.filePath(QStringLiteral("state.bin"));
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    environment.insert(QLatin1String(SimStateVariable), state);
    environment.insert(QLatin1String(SimTraceVariable), trace);
    {
        BridgeBackend backend = createBridgeBackend(environment);
        QVERIFY2(backend.library, qPrintable(backend.error));
        quint32 count = 0;
        QCOMPARE(backend.library->getDeviceCount(&count), BridgeSuccess);
    }
    QVERIFY(QFile::exists(state));
    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("getDeviceCount"));

    environment.insert(QLatin1String(SimTraceVariable), dir.filePath(QStringLiteral("no/trace")));
    const BridgeBackend broken = createBridgeBackend(environment);
    QVERIFY(!broken.library);
    QVERIFY2(broken.error.contains(QStringLiteral("no/trace")), qPrintable(broken.error));
}

void TestBackends::programRefusesBadBackend_data()
{
    QTest::addColumn<QString>("bridge");
    QTest::addColumn<QString>("mention");

    QTest::newRow("unknown value") << QStringLiteral("serial") << QStringLiteral("\"sim\"");
    QTest::newRow("missing symbol") << QStringLiteral("siusbxp:" FAKE_SIUSBXP_INCOMPLETE_PATH)
                                    << QStringLiteral("SI_CheckRXQueue");
}

void TestBackends::programRefusesBadBackend()
{
    QFETCH(QString, bridge);
    QFETCH(QString, mention);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(BridgeVariable), bridge);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VARNEX_PROGRAM), {});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(errors.contains(mention), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("VARNEX_BRIDGE")) || errors.contains(bridge.mid(8)),
             qPrintable(errors));
}

void TestBackends::programRunsOnEachBackend_data()
{
    QTest::addColumn<QString>("bridge");

    QTest::newRow("usb") << QStringLiteral("usb");
    QTest::newRow("sim") << QStringLiteral("sim");
    QTest::newRow("siusbxp") << QStringLiteral("siusbxp:" FAKE_SIUSBXP_PATH);
}

void TestBackends::programRunsOnEachBackend()
{
    QFETCH(QString, bridge);

    QTemporaryDir dir;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(BridgeVariable), bridge);
    environment.insert(QLatin1String(SimStateVariable), dir.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VARNEX_PROGRAM), {});
    QVERIFY(program.waitForStarted());
    const bool ended = program.waitForFinished(StaysUpMs);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    QVERIFY2(!ended,
             qPrintable(QStringLiteral("ended with %1: %2").arg(program.exitCode()).arg(errors)));
}

QTEST_GUILESS_MAIN(TestBackends)
#include "tst_backends.moc"
