#include "CliProcess.h"
#include "EdidTestData.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// varnex-edid compose as a user runs it: its inputs (files, a display of
// this computer, the simulated splitter) and its exit statuses.
class TestComposeCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitStatuses_data();
    void exitStatuses();
    void jsonHasModesAndReport();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void putFile(const QString &name, const QByteArray &data) const;

    QTemporaryDir m_dir;
};

void TestComposeCli::putFile(const QString &name, const QByteArray &data) const
{
    QDir(m_dir.path()).mkpath(QFileInfo(path(name)).path());
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

void TestComposeCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    putFile(QStringLiteral("tv.bin"), EdidTestData::readSample(QStringLiteral("lg-oled-c9-hdmi")));
    putFile(QStringLiteral("monitor.bin"),
            EdidTestData::readSample(QStringLiteral("dell-p2415q-hdmi2.0")));
    putFile(QStringLiteral("drm/card0-HDMI-A-1/edid"),
            EdidTestData::readSample(QStringLiteral("samsung-q800t-hdmi2.1")));
    // Two analog displays without their code-named timings share no mode.
    for (const char *name : {"sony-gdmf520-vga", "dell-e178wfp-vga"}) {
        QByteArray bytes = EdidTestData::readSample(QLatin1String(name)).left(128);
        bytes.replace(0x23, 3, QByteArray(3, '\0'));
        bytes.replace(0x26, 16, QByteArray(16, '\x01'));
        putFile(QLatin1String(name) + QStringLiteral(".bin"), bytes);
    }
}

void TestComposeCli::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QStringList out{QStringLiteral("-o"), QStringLiteral("out.txt")};
    QTest::newRow("files, report")
        << (QStringList{"compose", "tv.bin", "monitor.bin", "--report"} + out) << 0
        << "tv.bin: dropped 3840x2160@120 (not offered by monitor.bin)";
    QTest::newRow("display and device")
        << (QStringList{"compose", "display:HDMI-A-1", "device", "monitor.bin"} + out) << 0
        << QString();
    QTest::newRow("no common mode")
        << (QStringList{"compose", "sony-gdmf520-vga.bin", "dell-e178wfp-vga.bin"} + out) << 3
        << "No video mode is common to sony-gdmf520-vga.bin and dell-e178wfp-vga.bin";
    QTest::newRow("name too long")
        << (QStringList{"compose", "tv.bin", "monitor.bin", "--name", "Fourteen chars"} + out) << 3
        << "at most 13 fit";
    QTest::newRow("no such display")
        << (QStringList{"compose", "tv.bin", "display:DP-9"} + out) << 1 << "DP-9";
    QTest::newRow("no such file") << (QStringList{"compose", "tv.bin", "missing.bin"} + out) << 1
                                  << "cannot read missing.bin";
    QTest::newRow("one input") << (QStringList{"compose", "tv.bin"} + out) << 2 << QString();
    QTest::newRow("no output") << QStringList{"compose", "tv.bin", "monitor.bin"} << 2
                               << "-o OUT is missing";
}

void TestComposeCli::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFile::remove(path(QStringLiteral("out.txt")));
    const CliProcess::Run run = CliProcess::run(
        arguments, m_dir.path(), {{QStringLiteral("VARNEX_DRM_DIR"), path(QStringLiteral("drm"))}});
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    // A table is written exactly when the command succeeds.
    QCOMPARE(QFile::exists(path(QStringLiteral("out.txt"))), exitCode == 0);
    if (exitCode == 0) {
        const CliProcess::Run check =
            CliProcess::run({QStringLiteral("verify"), QStringLiteral("out.txt")}, m_dir.path());
        QVERIFY2(check.exitCode == 0, check.out.constData());
    }
}

void TestComposeCli::jsonHasModesAndReport()
{
    const CliProcess::Run run = CliProcess::run(
        {QStringLiteral("compose"), QStringLiteral("tv.bin"), QStringLiteral("monitor.bin"),
         QStringLiteral("--json"), QStringLiteral("-o"), QStringLiteral("out.bin"),
         QStringLiteral("--format"), QStringLiteral("raw")},
        m_dir.path());
    QCOMPARE(run.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    const QJsonArray modes = json[QStringLiteral("modes")].toArray();
    QVERIFY(!modes.isEmpty());
    const QJsonObject preferred = modes.first().toObject();
    QVERIFY(preferred[QStringLiteral("preferred")].toBool());
    QCOMPARE(preferred[QStringLiteral("width")].toInt(), 3840);
    QCOMPARE(preferred[QStringLiteral("refreshHz")].toDouble(), 60.0);
    QVERIFY(json[QStringLiteral("report")].toArray().contains(
        QStringLiteral("monitor.bin: dropped 2560x1440@59.95 (not offered by tv.bin)")));
    QCOMPARE(QFileInfo(path(QStringLiteral("out.bin"))).size(), 256);
}

QTEST_GUILESS_MAIN(TestComposeCli)
#include "tst_composecli.moc"
