#include "DeviceConnection.h"
#include "LinkSettings.h"
#include "RecordingMessageSink.h"
#include "StepClock.h"
#include "UsbBridge.h"
#include "siusbxp/SiUsbXpLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace varnex::device;

class TestSiUsbXp : public QObject
{
    Q_OBJECT

private slots:
    void openTransactCloseThroughTheLoadedLibrary();
    void loadErrorsNameTheCause_data();
    void loadErrorsNameTheCause();
};

void TestSiUsbXp::openTransactCloseThroughTheLoadedLibrary()
{
    QString error;
    std::unique_ptr<SiUsbXpLibrary> library =
        SiUsbXpLibrary::load(QStringLiteral(FAKE_SIUSBXP_PATH), &error);
    QVERIFY2(library, qPrintable(error));
    RecordingMessageSink sink;
    UsbBridge bridge(*library, sink);
    LinkSettings settings;
    StepClock clock;
    DeviceConnection connection(bridge, settings, clock.function(), [](quint32) {});

    // The fake refuses a flush that is not both ways and a non-null
    // overlapped pointer, so success here means the arguments went through.
    QVERIFY(connection.openDevice());
    std::array<quint8, 16> reply{};
    QVERIFY(connection.transact(reply.data(), edidReadFrame(0xA0, 0x20), ReadReplyLength));
    for (std::size_t i = 0; i < reply.size(); ++i)
        QCOMPARE(reply[i], quint8((0x20 + i) * 7 + 3));

    const std::array<quint8, 8> data = {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4};
    std::array<quint8, WriteReplyLength> writeReply;
    writeReply.fill(0xEE);
    QVERIFY(connection.transact(writeReply.data(), writeFrame(0xA0, 0x28, data), WriteReplyLength));
    QCOMPARE(writeReply, (std::array<quint8, WriteReplyLength>{}));
    QVERIFY(connection.transact(reply.data(), edidReadFrame(0xA0, 0x20), ReadReplyLength));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply.data()) + 8, 8),
             QByteArray::fromHex("DEADBEEF01020304"));

    connection.closeDevice();
    QCOMPARE(connection.handle(), NoDeviceHandle);
    QVERIFY2(sink.messages.isEmpty(), qPrintable(sink.messages.join(u'|')));
    // Closed means it can be opened again.
    QVERIFY(connection.openDevice());
    connection.closeDevice();
}

void TestSiUsbXp::loadErrorsNameTheCause_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("cause");

    QTest::newRow("missing symbol")
        << QStringLiteral(FAKE_SIUSBXP_INCOMPLETE_PATH) << QStringLiteral("SI_CheckRXQueue");
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/libsiusbxp.so")
                                  << QStringLiteral("does not exist");
    QTest::newRow("not a library") << QString() << QStringLiteral("cannot load");
}

void TestSiUsbXp::loadErrorsNameTheCause()
{
    QFETCH(QString, path);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("libtext.so"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plain text, no ELF\n");
    }
    QString error;
    QVERIFY(!SiUsbXpLibrary::load(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY2(error.contains(cause), qPrintable(error));
}

QTEST_APPLESS_MAIN(TestSiUsbXp)
#include "tst_siusbxp.moc"
