#include "EdidDecodeOracle.h"
#include "EdidTestData.h"
#include "ImportSamples.h"
#include "TestFiles.h"
#include "capability/CapabilityJson.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"
#include "edit/Presets.h"
#include "sim/DefaultEdid.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using Environment = QMap<QString, QString>;

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// A table that the sample files hold: both blocks, checksums right.
const char Sample[] = "dell-p2415q-hdmi2.0";
const char OtherSample[] = "samsung-q800t-hdmi2.1";
// A table of three blocks, more than the Varnex holds.
const char ThreeBlockSample[] = "acer-xv273k-dp1";
const char Reminder[] = "Press the reset button on the Varnex after every EDID table write";

QByteArray sample(const char *name)
{
    return EdidTestData::readSample(QLatin1String(name));
}

// EDID hex text made here, independently of the program's formatter.
QByteArray hexText(const QByteArray &bytes)
{
    QByteArray text;
    for (qsizetype at = 0; at < bytes.size(); at += 16)
        text += bytes.mid(at, 16).toHex(' ').toUpper() + '\n';
    return text;
}

QByteArray defaultTable()
{
    const varnex::device::sim::EdidMemory memory = varnex::device::sim::defaultSimulatedEdid();
    return QByteArray(reinterpret_cast<const char *>(memory.data()), qsizetype(memory.size()));
}

QByteArray withBrokenChecksums(QByteArray table)
{
    table[127] = char(table[127] + 1);
    table[255] = char(table[255] + 2);
    return table;
}

// The value at `path` in the JSON: keys joined by '.', and "[]" after a key
// for the list of that field over the elements of an array ("cta.vics[].vic").
QJsonValue valueAt(const QJsonValue &root, const QString &path)
{
    QJsonValue value = root;
    for (const QString &step : path.split(QLatin1Char('.'))) {
        if (value.isArray()) {
            QJsonArray field;
            for (const QJsonValue &element : value.toArray())
                field.append(element.toObject().value(step));
            value = field;
        } else {
            value = value.toObject().value(QString(step).remove(QStringLiteral("[]")));
        }
    }
    return value;
}

QJsonObject parseJson(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
    void readPrintsTheTable_data();
    void readPrintsTheTable();
    void writeThenReadReturnsTheTable_data();
    void writeThenReadReturnsTheTable();
    void writeInAutomixNeedsCustom();
    void writeRefusesBadTables_data();
    void writeRefusesBadTables();
    void modeQueriesAndSelects();
    void devicesListsTheBridges_data();
    void devicesListsTheBridges();
    void deviceChoosesByLinkString();
    void deviceFailures_data();
    void deviceFailures();
    void malformedEnvironment_data();
    void malformedEnvironment();
    void fixCorrectsChecksums_data();
    void fixCorrectsChecksums();
    void convertWritesEachFormat();
    void fileFailures_data();
    void fileFailures();
    void writeReadsBack_data();
    void writeReadsBack();
    void diffExplainsAndExits_data();
    void diffExplainsAndExits();
    void importedInputs_data();
    void importedInputs();
    void displaysAndReadFromDisplay();
    void decodePrintsText_data();
    void decodePrintsText();
    void decodeJsonIsTheDecoders_data();
    void decodeJsonIsTheDecoders();
    void verifyReportsFindings_data();
    void verifyReportsFindings();
    void editChangesTheTable_data();
    void editChangesTheTable();
    void editRefusals_data();
    void editRefusals();
    void presetListNamesEachPreset();
    void presetsAreValid_data();
    void presetsAreValid();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString putFile(const QString &name, const QByteArray &data) const;
    Run run(const QStringList &arguments, const Environment &extra = {},
            const QByteArray &input = {}) const;
    QByteArray trace() const { return TestFiles::readAll(path(QStringLiteral("trace.txt"))); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCli::init()
{
    // A fresh simulated Varnex (state file) and trace for every test.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestCli::putFile(const QString &name, const QByteArray &data) const
{
    const QString file = path(name);
    if (!TestFiles::writeAll(file, data))
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

Run TestCli::run(const QStringList &arguments, const Environment &extra,
                 const QByteArray &input) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("VARNEX_")))
            environment.remove(name);
    }
    environment.insert(QStringLiteral("VARNEX_BRIDGE"), QStringLiteral("sim"));
    environment.insert(QStringLiteral("VARNEX_SIM_STATE"), path(QStringLiteral("state.bin")));
    environment.insert(QStringLiteral("VARNEX_SIM_TRACE"), path(QStringLiteral("trace.txt")));
    for (auto it = extra.begin(); it != extra.end(); ++it)
        environment.insert(it.key(), it.value());

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(VARNEX_CLI_PROGRAM), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    // Longest run: a write (32 frames with 50 ms pauses) or one 3 s time-out.
    if (!process.waitForFinished(60000))
        return {};
    Run result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{"frob"} << "'frob'";
    QTest::newRow("verify without FILE") << QStringList{"verify"} << "verify FILE";
    QTest::newRow("edit without -o") << QStringList{"edit", "in.bin", "--no-hdr"} << "-o OUT";
    QTest::newRow("edit without edits") << QStringList{"edit", "in.bin", "-o", "out"} << "no edit";
    QTest::newRow("edit VIC not a number")
        << QStringList{"edit", "in.bin", "-o", "out", "--remove-vic", "x"} << "'x'";
    QTest::newRow("edit audio spec")
        << QStringList{"edit", "in.bin", "-o", "out", "--audio", "lpcm"} << "lpcm";
    QTest::newRow("edit speakers")
        << QStringList{"edit", "in.bin", "-o", "out", "--speakers", "9.2"} << "'9.2'";
    QTest::newRow("edit mode") << QStringList{"edit", "in.bin", "-o", "out", "--preferred", "1080p"}
                               << "'1080p'";
    QTest::newRow("unknown preset") << QStringList{"preset", "8k", "-o", "out"} << "--list";
    QTest::newRow("unknown option") << QStringList{"read", "--frob"} << "frob";
    QTest::newRow("option of another command") << QStringList{"read", "--force"} << "force";
    QTest::newRow("missing value") << QStringList{"read", "-o"} << "-o";
    QTest::newRow("missing FILE") << QStringList{"write"} << "write FILE";
    QTest::newRow("extra argument") << QStringList{"read", "x"} << "too many";
    QTest::newRow("unknown format for read") << QStringList{"read", "--format", "pdf"} << "'pdf'";
    QTest::newRow("unknown mode") << QStringList{"mode", "auto"} << "'auto'";
    QTest::newRow("fix without -o") << QStringList{"fix", "in.bin"} << "-o OUT";
    QTest::newRow("convert without -o") << QStringList{"convert", "in.bin"} << "-o OUT";
    QTest::newRow("empty --device") << QStringList{"--device", "", "mode"} << "--device";
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.startsWith("varnex-edid: "), result.err);
    QVERIFY2(result.err.contains(mentions.toUtf8()), result.err);
    QVERIFY2(result.err.contains("--help' for more information.\n"), result.err);
    // Nothing reached the device.
    QVERIFY(!trace().contains("open"));
}

void TestCli::helpAndVersion()
{
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.err.isEmpty());
    QVERIFY(help.out.startsWith("Usage: varnex-edid [options] <command> [<arguments>]\n"));
    for (const char *line :
         {"  devices [--json]\n", "  displays\n",
          "  read [-o FILE] [--format hex|raw|c|base64] [--from-display CONNECTOR]\n",
          "  write FILE [--force] [--custom] [--no-verify]\n", "  mode [automix|custom]\n",
          "  fix FILE -o OUT [--format hex|raw|c|base64]\n",
          "  convert IN -o OUT [--format hex|raw|c|base64]\n", "  diff A B [--json]\n",
          "  verify FILE...\n", "  decode [FILE|-] [--json]\n",
          "  edit IN -o OUT [--format FORMAT] EDIT...\n",
          "  preset NAME -o OUT [--format FORMAT] | --list\n", "  --bridge <VALUE>",
          "  --device <LINK>", "  -q, --quiet"})
        QVERIFY2(help.out.contains(line), line);
    for (const QByteArray &line : help.out.split('\n'))
        QVERIFY2(line.size() < 80, line);

    const Run commandHelp = run({QStringLiteral("write"), QStringLiteral("--help")});
    QCOMPARE(commandHelp.exitCode, 0);
    QVERIFY(
        commandHelp.out.startsWith("Usage: varnex-edid [options] write FILE [--force] [--custom]"));
    QVERIFY(commandHelp.out.contains("  --custom "));

    const Run version = run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("varnex-edid " VARNEX_VERSION "\n"));
}

void TestCli::readPrintsTheTable_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file"); // empty: standard output
    QTest::addColumn<bool>("raw");

    QTest::newRow("standard output") << QStringList{"read"} << QString() << false;
    QTest::newRow("-o -") << QStringList{"read", "-o", "-"} << QString() << false;
    QTest::newRow("raw to standard output")
        << QStringList{"read", "--format", "raw", "-o", "-"} << QString() << true;
    QTest::newRow("hex file") << QStringList{"read", "-o", "t.hex"} << "t.hex" << false;
    QTest::newRow("raw file") << QStringList{"-q", "read", "--output", "t.bin", "--format", "raw"}
                              << "t.bin" << true;
}

void TestCli::readPrintsTheTable()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(bool, raw);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    const QByteArray expected = raw ? defaultTable() : hexText(defaultTable());
    QCOMPARE(file.isEmpty() ? result.out : TestFiles::readAll(path(file)), expected);
    if (!file.isEmpty())
        QVERIFY(result.out.isEmpty());
    // One open and one close around 16 read frames and the status frame.
    QCOMPARE(trace().count("open index"), 1);
    QCOMPARE(trace().count("write handle"), 17);
    QCOMPARE(trace().count("close handle"), 1);
}

void TestCli::writeThenReadReturnsTheTable_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("table");

    QTest::newRow("raw file") << "table.bin" << QByteArray() << sample(Sample);
    QTest::newRow("hex text on standard input")
        << "-" << hexText(sample(OtherSample)) << sample(OtherSample);
}

void TestCli::writeThenReadReturnsTheTable()
{
    QFETCH(QString, argument);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, table);

    putFile(QStringLiteral("table.bin"), table);
    const Run write =
        run({QStringLiteral("write"), argument, QStringLiteral("--custom")}, {}, input);
    QCOMPARE(write.exitCode, 0);
    QVERIFY(write.out.isEmpty());
    QCOMPARE(write.err,
             QByteArray("varnex-edid: Wrote and verified 256 bytes. ") + Reminder + ".\n");

    const Run read = run({QStringLiteral("read")});
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(read.out, hexText(table));
    QCOMPARE(run({QStringLiteral("mode")}).out, QByteArray("custom\n"));
}

void TestCli::writeInAutomixNeedsCustom()
{
    const QString file = putFile(QStringLiteral("table.bin"), sample(Sample));
    const Run refused = run({QStringLiteral("write"), file});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("AUTOMIX") && refused.err.contains("--custom"), refused.err);
    QVERIFY(!refused.err.contains(Reminder));
    QCOMPARE(run({QStringLiteral("read")}).out, hexText(defaultTable()));
    QCOMPARE(run({QStringLiteral("mode")}).out, QByteArray("automix\n"));

    // Once in CUSTOM mode, no --custom is needed.
    QCOMPARE(run({QStringLiteral("mode"), QStringLiteral("custom")}).exitCode, 0);
    QCOMPARE(run({QStringLiteral("write"), file}).exitCode, 0);
    QCOMPARE(run({QStringLiteral("read")}).out, hexText(sample(Sample)));
}

void TestCli::writeRefusesBadTables_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("mentions");

    const QByteArray good = sample(Sample);
    QByteArray noHeader = good;
    noHeader[1] = 0;
    // 128 bytes and whole tables of more blocks are taken (importedInputs).
    QTest::newRow("300 bytes") << sample("acer-xv273k-dp1").left(300) << QStringList{"--force"} << 3
                               << QStringList{"300 bytes", "256"};
    QTest::newRow("empty file") << QByteArray() << QStringList{"--force"} << 3
                                << QStringList{"0 bytes"};
    QTest::newRow("short hex text")
        << hexText(good.left(240)) << QStringList{"--force"} << 3 << QStringList{"240 bytes"};
    QTest::newRow("hex format error")
        << QByteArray("00 FF FG\n") << QStringList{} << 3 << QStringList{"Hex Format Error"};
    QTest::newRow("wrong checksums") << withBrokenChecksums(good) << QStringList{"--custom"} << 3
                                     << QStringList{"block 0", "block 1", "fix", "--force"};
    QTest::newRow("no EDID header")
        << noHeader << QStringList{"--custom"} << 3 << QStringList{"EDID header", "--force"};
}

void TestCli::writeRefusesBadTables()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, mentions);

    const QString file = putFile(QStringLiteral("table"), content);
    const Run result = run(QStringList{QStringLiteral("write"), file} + options);
    QCOMPARE(result.exitCode, exitCode);
    for (const QString &word : mentions)
        QVERIFY2(result.err.contains(word.toUtf8()), result.err);
    // Refused before the device was touched.
    QVERIFY2(!trace().contains("open"), trace());
}

void TestCli::modeQueriesAndSelects()
{
    const QList<QPair<QStringList, QByteArray>> steps = {
        {{"mode"}, "automix\n"}, {{"mode", "custom"}, "custom\n"},
        {{"mode"}, "custom\n"},  {{"mode", "automix"}, "automix\n"},
        {{"mode"}, "automix\n"},
    };
    for (const auto &[arguments, output] : steps) {
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, output);
        QVERIFY(result.err.isEmpty());
    }
}

void TestCli::devicesListsTheBridges_data()
{
    QTest::addColumn<QString>("devices");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("default") << QString() << false
                             << QByteArray("INDEX  SERIAL  LINK   VARNEX\n"
                                           "0      2020    sim:0  yes\n");
    QTest::newRow("three") << "2020,,12345" << false
                           << QByteArray("INDEX  SERIAL  LINK   VARNEX\n"
                                         "0      2020    sim:0  yes\n"
                                         "1      -       sim:1  no\n"
                                         "2      12345   sim:2  no\n");
    QTest::newRow("json") << "1234,2020" << true
                          << QByteArray("[\n"
                                        "    {\n"
                                        "        \"index\": 0,\n"
                                        "        \"link\": \"sim:0\",\n"
                                        "        \"serial\": \"1234\",\n"
                                        "        \"varnex\": false\n"
                                        "    },\n"
                                        "    {\n"
                                        "        \"index\": 1,\n"
                                        "        \"link\": \"sim:1\",\n"
                                        "        \"serial\": \"2020\",\n"
                                        "        \"varnex\": true\n"
                                        "    }\n"
                                        "]\n");
}

void TestCli::devicesListsTheBridges()
{
    QFETCH(QString, devices);
    QFETCH(bool, json);
    QFETCH(QByteArray, expected);

    QStringList arguments{QStringLiteral("devices")};
    if (json)
        arguments.append(QStringLiteral("--json"));
    const Run result = run(arguments, {{QStringLiteral("VARNEX_SIM_DEVICES"), devices}});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected);
    QVERIFY(!trace().contains("open"));
}

void TestCli::deviceChoosesByLinkString()
{
    const Environment two{{QStringLiteral("VARNEX_SIM_DEVICES"), QStringLiteral("2020,2020")}};
    const Run second =
        run({QStringLiteral("--device"), QStringLiteral("sim:1"), QStringLiteral("read")}, two);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(second.out, hexText(defaultTable()));
    QVERIFY2(trace().contains("open index=1 ") && !trace().contains("open index=0 "), trace());

    const Run first = run({QStringLiteral("mode")}, two);
    QCOMPARE(first.exitCode, 0);
    QVERIFY(trace().contains("open index=0 "));

    // Each splitter has its own memory and mode, also across runs.
    const QString file = putFile(QStringLiteral("table.bin"), sample(Sample));
    const QStringList onSecond{QStringLiteral("--device"), QStringLiteral("sim:1")};
    QCOMPARE(
        run(onSecond + QStringList{QStringLiteral("write"), file, QStringLiteral("--custom")}, two)
            .exitCode,
        0);
    QCOMPARE(run(onSecond + QStringList{QStringLiteral("read")}, two).out, hexText(sample(Sample)));
    QCOMPARE(run(onSecond + QStringList{QStringLiteral("mode")}, two).out, QByteArray("custom\n"));
    QCOMPARE(run({QStringLiteral("read")}, two).out, hexText(defaultTable()));
    QCOMPARE(run({QStringLiteral("mode")}, two).out, QByteArray("automix\n"));

    // A link string that is not a Varnex, or no device at all.
    for (const QString &link : {QStringLiteral("sim:1"), QStringLiteral("sim:9")}) {
        const Run none = run({QStringLiteral("mode"), QStringLiteral("--device"), link},
                             {{QStringLiteral("VARNEX_SIM_DEVICES"), QStringLiteral("2020,77")}});
        QCOMPARE(none.exitCode, 1);
        QVERIFY(none.out.isEmpty());
        QVERIFY2(none.err.contains("Hardware not found") && none.err.contains(link.toUtf8()),
                 none.err);
    }
}

void TestCli::deviceFailures_data()
{
    QTest::addColumn<Environment>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("silent device") << Environment{{"VARNEX_SIM_FAULTS", "silent-after=15"}}
                                   << QStringList{"read", "-o", "out.hex"} << QStringList{"0xF0"};
    QTest::newRow("short replies") << Environment{{"VARNEX_SIM_FAULTS", "short-replies=15"}}
                                   << QStringList{"read"} << QStringList{"0x00"};
    QTest::newRow("no Varnex") << Environment{{"VARNEX_SIM_DEVICES", "1234"}}
                               << QStringList{"read", "-o", "out.hex"}
                               << QStringList{"Hardware not found"};
    QTest::newRow("open fails") << Environment{{"VARNEX_SIM_FAULTS", "fail=open@1"}}
                                << QStringList{"mode"}
                                << QStringList{"Unable to open handle to device!",
                                               "Hardware not found"};
    // Writes: 1 the mode query, 2 the selection, then the frames from offset 0x00.
    QTest::newRow("write frame fails") << Environment{{"VARNEX_SIM_FAULTS", "fail=write@5"}}
                                       << QStringList{"write", "table.bin", "--custom"}
                                       << QStringList{"Error Sending Code", "0x10", "mixed table"};
    // Reads: 1 the mode query, 2 the selection, 3 to 34 the frames, 35 the
    // read-back from offset 0x00.
    QTest::newRow("read-back fails")
        << Environment{{"VARNEX_SIM_FAULTS", "fail=read@39"}}
        << QStringList{"write", "table.bin", "--custom"}
        << QStringList{"could not be verified", "0x40", "write the table again"};
    QTest::newRow("mode without reply") << Environment{{"VARNEX_SIM_FAULTS", "fail=read@1"}}
                                        << QStringList{"write", "table.bin", "--custom"}
                                        << QStringList{"Error Reading Data", "mode request"};
}

void TestCli::deviceFailures()
{
    QFETCH(Environment, environment);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, mentions);

    putFile(QStringLiteral("table.bin"), sample(Sample));
    const Run result = run(arguments, environment);
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    for (const QString &word : mentions)
        QVERIFY2(result.err.contains(word.toUtf8()), result.err);
    QVERIFY(!QFile::exists(path(QStringLiteral("out.hex"))));
}

void TestCli::malformedEnvironment_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("item");

    QTest::newRow("fault value") << "VARNEX_SIM_FAULTS"
                                 << "latency-ms=soon"
                                 << "latency-ms=soon";
    QTest::newRow("unknown fault") << "VARNEX_SIM_FAULTS"
                                   << "stuck=3,wobble"
                                   << "wobble";
    QTest::newRow("operation") << "VARNEX_SIM_FAULTS"
                               << "fail=reset@1"
                               << "fail=reset@1";
    QTest::newRow("serial too long")
        << "VARNEX_SIM_DEVICES" << QString(300, QLatin1Char('9')) << QString(300, QLatin1Char('9'));
}

void TestCli::malformedEnvironment()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QFETCH(QString, item);

    const Run result = run({QStringLiteral("read")}, {{variable, value}});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains(variable.toUtf8()), result.err);
    QVERIFY2(result.err.contains('"' + item.toUtf8() + '"'), result.err);
}

void TestCli::fixCorrectsChecksums_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray good = sample(Sample);
    const QByteArray bad = withBrokenChecksums(good);
    QTest::newRow("raw stays raw") << bad << "bad"
                                   << "fixed" << good;
    QTest::newRow("hex stays hex") << hexText(bad) << "bad"
                                   << "fixed" << hexText(good);
    QTest::newRow("standard input to standard output") << hexText(bad) << "-"
                                                       << "-" << hexText(good);
    QTest::newRow("right ones stay") << good << "bad"
                                     << "fixed" << good;
}

void TestCli::fixCorrectsChecksums()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, in);
    QFETCH(QString, out);
    QFETCH(QByteArray, expected);

    if (in != QLatin1String("-"))
        putFile(in, input);
    const Run result = run({QStringLiteral("fix"), in, QStringLiteral("-o"), out}, {}, input);
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    QCOMPARE(out == QLatin1String("-") ? result.out : TestFiles::readAll(path(out)), expected);
}

void TestCli::convertWritesEachFormat()
{
    const QByteArray table = sample(Sample);
    putFile(QStringLiteral("table.bin"), table);
    const auto convert = [this](const QString &in, const QString &format) {
        return run({QStringLiteral("convert"), in, QStringLiteral("-o"), QStringLiteral("-"),
                    QStringLiteral("--format"), format});
    };

    const Run hex = convert(QStringLiteral("table.bin"), QStringLiteral("hex"));
    QCOMPARE(hex.out, hexText(table));
    putFile(QStringLiteral("table.hex"), hex.out);
    QCOMPARE(convert(QStringLiteral("table.hex"), QStringLiteral("raw")).out, table);

    // base64(1) is the reference for the base64 form, line breaks included.
    const QString base64Tool = QStandardPaths::findExecutable(QStringLiteral("base64"));
    if (!base64Tool.isEmpty()) {
        QProcess tool;
        tool.start(base64Tool, {path(QStringLiteral("table.bin"))});
        QVERIFY(tool.waitForFinished());
        QCOMPARE(convert(QStringLiteral("table.bin"), QStringLiteral("base64")).out,
                 tool.readAllStandardOutput());
    }

    const QByteArray c = convert(QStringLiteral("table.bin"), QStringLiteral("c")).out;
    QVERIFY(c.startsWith("const unsigned char edid[256] = {\n    0x00, 0xFF, 0xFF,"));
    QVERIFY(c.endsWith(", 0x" + table.right(1).toHex().toUpper() + "\n};\n"));
    QByteArray fromC;
    const QRegularExpression element(QStringLiteral("0x([0-9A-F]{2})"));
    for (const QRegularExpressionMatch &match : element.globalMatch(QString::fromLatin1(c)))
        fromC += QByteArray::fromHex(match.captured(1).toLatin1());
    QCOMPARE(fromC, table);
    QCOMPARE(c.count('\n'), 18);
}

void TestCli::fileFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("missing input")
        << QStringList{"convert", "nothing.bin", "-o", "out"} << 1 << "nothing.bin";
    QTest::newRow("unwritable output")
        << QStringList{"convert", "table.bin", "-o", "no/such/dir/out"} << 1 << "no/such/dir/out";
    QTest::newRow("text is no table")
        << QStringList{"fix", "notes.txt", "-o", "out"} << 3
        << "notes.txt: Hex Format Error: Line 1, column 2: expected a hexadecimal digit.";
    QTest::newRow("edit names where the text goes wrong")
        << QStringList{"edit", "notes.txt", "-o", "out", "--no-hdr"} << 3
        << "Hex Format Error: Line 1, column 2";
}

void TestCli::fileFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, mentions);

    putFile(QStringLiteral("table.bin"), sample(Sample));
    putFile(QStringLiteral("notes.txt"), "Display: 27 inch, bought 2019\n");
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(mentions.toUtf8()), result.err);
    QVERIFY(!QFile::exists(path(QStringLiteral("out"))));
}

// The table written is read back: a stuck byte fails the write and is named;
// --no-verify sends no read frame.
void TestCli::writeReadsBack_data()
{
    QTest::addColumn<QString>("faults");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("frames");

    // The mode query, the selection, 32 write frames, 16 reads and the status request.
    // The reset reminder ends the one line of a completed write only.
    QTest::newRow("equal") << QString() << QStringList{} << 0
                           << "varnex-edid: Wrote and verified 256 bytes. " + QByteArray(Reminder) +
                                  ".\n"
                           << 2 + 32 + 17;
    QTest::newRow("equal, quiet") << QString() << QStringList{"-q"} << 0 << QByteArray()
                                  << 2 + 32 + 17;
    QTest::newRow("stuck byte")
        << "stuck=0x40" << QStringList{} << 1
        << QByteArray("varnex-edid: The Varnex holds a different table after the write: 1 byte "
                      "differs, at 0x40.\n"
                      "varnex-edid: Write the table again. If the same bytes differ again, the "
                      "EDID memory of the Varnex may be faulty.\n")
        << 2 + 32 + 17;
    QTest::newRow("stuck byte, not verified")
        << "stuck=0x40" << QStringList{"--no-verify"} << 0
        << "varnex-edid: Wrote 256 bytes. " + QByteArray(Reminder) + ".\n"
        << 2 + 32;
    // The splitter falls silent after the mode frames and eight table frames.
    QTest::newRow("silent part-way")
        << "silent-after=10" << QStringList{} << 1
        << QByteArray("varnex-edid: Writing the EDID failed: the Varnex did not confirm the bytes "
                      "from offset 0x40. The bytes 0x00 to 0x3F were confirmed; the frames after "
                      "offset 0x40 were not sent.\n"
                      "varnex-edid: The Varnex may now hold a mixed table, the new bytes up to "
                      "where the write stopped and its old ones after. Write the table again.\n")
        << 2 + 9;
}

void TestCli::writeReadsBack()
{
    QFETCH(QString, faults);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    QFETCH(int, frames);

    // Byte 0x40 differs from the simulator's own table.
    QByteArray table = sample(Sample);
    QVERIFY(table[0x40] != defaultTable()[0x40]);
    const QString file = putFile(QStringLiteral("table.bin"), table);
    const Run write =
        run(QStringList{QStringLiteral("write"), file, QStringLiteral("--custom")} + options,
            {{"VARNEX_SIM_FAULTS", faults}});
    QCOMPARE(write.exitCode, exitCode);
    QCOMPARE(write.err, message);
    QCOMPARE(trace().count("write handle"), frames);
}

void TestCli::diffExplainsAndExits_data()
{
    QTest::addColumn<QByteArray>("first");  // empty: the device
    QTest::addColumn<QByteArray>("second"); // likewise
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<Environment>("environment");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QByteArray table = sample(Sample);
    QByteArray clock = table; // a pixel clock of 154 MHz in the first detailed timing
    clock[0x36] = char(0x28);
    clock[0x37] = char(0x3C);
    const QByteArray clockLines = "Modes only in B: 3840x2160@15.56 (DTD 1)\n"
                                  "Preferred mode: 3840x2160@60 -> 3840x2160@15.56\n\n"
                                  "0x36-0x37 Descriptor 1: detailed timing: Pixel clock: 594.00 "
                                  "MHz -> 154.00 MHz\n  0x36: 08 -> 28\n  0x37: E8 -> 3C\n";
    const QByteArray identical = "The tables are identical.\n";
    QTest::newRow("equal files") << table << hexText(table) << QStringList{} << Environment{} << 0
                                 << identical << QByteArray();
    QTest::newRow("different files")
        << table << clock << QStringList{} << Environment{} << 1 << clockLines << QByteArray();
    QTest::newRow("device and its own table") << QByteArray() << defaultTable() << QStringList{}
                                              << Environment{} << 0 << identical << QByteArray();
    QTest::newRow("device and another table") << QByteArray() << table << QStringList{}
                                              << Environment{} << 1 << QByteArray() << QByteArray();
    QTest::newRow("no Varnex") << QByteArray() << table << QStringList{}
                               << Environment{{"VARNEX_SIM_DEVICES", "1234"}} << 2 << QByteArray()
                               << QByteArray("varnex-edid: Hardware not found\n");
    QTest::newRow("not a table") << table << QByteArray("00 FF\n") << QStringList{} << Environment{}
                                 << 2 << QByteArray() << QByteArray();
}

void TestCli::diffExplainsAndExits()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, options);
    QFETCH(Environment, environment);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const auto side = [this](const QByteArray &content, const QString &name) {
        return content.isEmpty() ? QStringLiteral("device") : putFile(name, content);
    };
    const QStringList arguments =
        QStringList{QStringLiteral("diff"), side(first, "a"), side(second, "b")} + options;
    const Run result = run(arguments, environment);
    QCOMPARE(result.exitCode, exitCode);
    if (!out.isEmpty())
        QCOMPARE(result.out, out);
    else if (exitCode == 1) // the device's own table against a sample: every line well-formed
        QVERIFY(
            QRegularExpression("^(([^\\n]+\\n)+\\n)?(0x[0-9A-F]{2}(-0x[0-9A-F]{2})? [^\\n]+\\n(  "
                               "0x[0-9A-F]{2}: [0-9A-F]{2} -> [0-9A-F]{2}\\n)+)+$")
                .match(QString::fromUtf8(result.out))
                .hasMatch());
    else
        QVERIFY(result.out.isEmpty());
    if (!err.isEmpty())
        QCOMPARE(result.err, err);
    else if (exitCode == 2)
        QVERIFY(!result.err.isEmpty());
    else
        QVERIFY(result.err.isEmpty());

    // The same comparison as JSON.
    if (exitCode == 2)
        return;
    const Run json = run(arguments + QStringList{QStringLiteral("--json")}, environment);
    QCOMPARE(json.exitCode, exitCode);
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(object["identical"].toBool(), exitCode == 0);
    QCOMPARE(object["first"].toString(), arguments[1]);
    // The meaning report beside the bytes: the modes as the text names them.
    const QJsonObject meaning = object["meaning"].toObject();
    QCOMPARE(!meaning["modesOnlyInSecond"].toArray().isEmpty(),
             result.out.contains("Modes only in B: "));
}

void TestCli::importedInputs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("source"); // the raw sample it holds
    QTest::addColumn<QString>("note");   // on standard error, or none

    const QMap<int, QString> notes = {
        {384, "in: the table has 384 bytes; the Varnex takes the first 256 and leaves out "
              "extension block 2 (128 bytes)"},
        {512, "in: the table has 512 bytes; the Varnex takes the first 256 and leaves out "
              "extension blocks 2 and 3 (256 bytes)"}};
    for (const ImportSamples::Sample &dump : ImportSamples::all()) {
        QTest::newRow(qPrintable(dump.file))
            << TestFiles::readAll(ImportSamples::path(dump.file)) << dump.source
            << (dump.note.isEmpty() ? notes.value(dump.tableSize) : "in: " + dump.note);
    }
    QTest::newRow("raw, 128 bytes")
        << sample("dell-e178wfp-vga") << "dell-e178wfp-vga" << QString();
    QTest::newRow("raw, 384 bytes")
        << sample("acer-xv273k-dp1") << "acer-xv273k-dp1" << notes.value(384);
    QTest::newRow("hex text, 128 bytes")
        << hexText(sample("sony-gdmf520-vga")) << "sony-gdmf520-vga" << QString();
}

// Every form the loader imports, and whole tables other than 256 bytes.
void TestCli::importedInputs()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, source);
    QFETCH(QString, note);
    putFile(QStringLiteral("in"), content);
    const Run result =
        run({QStringLiteral("convert"), QStringLiteral("in"), QStringLiteral("-o"),
             QStringLiteral("-"), QStringLiteral("--format"), QStringLiteral("raw")});
    QCOMPARE(result.exitCode, 0);
    const QByteArray table = sample(qPrintable(source));
    QCOMPARE(result.out, EdidTestData::toBytes(EdidTestData::keptImage(table)));
    // A cut table's count follows the one extension kept.
    const QString count = table.size() > 256
                              ? QStringLiteral("varnex-edid: in: The extension count (byte 0x7E) "
                                               "was set from %1 to 1")
                                    .arg(int(quint8(table[0x7E])))
                              : QString();
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.startsWith(note.isEmpty() ? QString() : "varnex-edid: " + note + '\n' + count),
             qPrintable(err));
    QCOMPARE(err.count('\n'), int(!note.isEmpty()) + int(!count.isEmpty()));
}

void TestCli::displaysAndReadFromDisplay()
{
    const QByteArray hdmi = sample(Sample);
    const QByteArray dp = sample("acer-xv273k-dp1");
    QDir drm(path(QStringLiteral("drm")));
    for (const char *folder : {"card0-DP-1", "card0-HDMI-A-1", "card1-DP-2"})
        QVERIFY(drm.mkpath(QLatin1String(folder)));
    putFile(QStringLiteral("drm/card0-DP-1/edid"), QByteArray());
    putFile(QStringLiteral("drm/card0-HDMI-A-1/edid"), hdmi);
    putFile(QStringLiteral("drm/card1-DP-2/edid"), dp);
    const Environment environment = {{QStringLiteral("VARNEX_DRM_DIR"), drm.path()}};

    const Run displays = run({QStringLiteral("displays")}, environment);
    QCOMPARE(displays.exitCode, 0);
    QCOMPARE(displays.out, QByteArray("CONNECTOR  NAME\n"
                                      "HDMI-A-1   DELL P2415Q\n"
                                      "DP-2       XV273K\n"));
    QVERIFY(displays.err.isEmpty());

    const Run hex = run({"read", "--from-display", "HDMI-A-1"}, environment);
    QCOMPARE(hex.exitCode, 0);
    QCOMPARE(hex.out, hexText(hdmi));
    QVERIFY(hex.err.isEmpty());
    const Run raw = run({"read", "--from-display", "card1-DP-2", "--format", "raw"}, environment);
    QCOMPARE(raw.exitCode, 0);
    QCOMPARE(raw.out, EdidTestData::toBytes(EdidTestData::keptImage(dp)));
    QVERIFY2(raw.err.contains("display DP-2: the table has 384 bytes"), raw.err);
    const Run none = run({"read", "--from-display", "DP-1"}, environment);
    QCOMPARE(none.exitCode, 1);
    QVERIFY2(none.err.contains("\"DP-1\""), none.err);
    QVERIFY(none.out.isEmpty());
    // No device was opened for any of them.
    QVERIFY(!trace().contains("open"));

    const Run empty = run({QStringLiteral("displays")},
                          {{QStringLiteral("VARNEX_DRM_DIR"), path(QStringLiteral("missing"))}});
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.out, QByteArray("CONNECTOR  NAME\n"));
    QVERIFY2(empty.err.contains("no display with an EDID found"), empty.err);
}

void TestCli::decodePrintsText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");

    const QByteArray table = sample(Sample);
    QTest::newRow("raw file") << QStringList{"decode", "table.bin"} << QByteArray();
    QTest::newRow("hex text on standard input") << QStringList{"decode", "-"} << hexText(table);
    QTest::newRow("no FILE reads standard input") << QStringList{"decode"} << table;
}

void TestCli::decodePrintsText()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);

    putFile(QStringLiteral("table.bin"), sample(Sample));
    const Run result = run(arguments, {}, input);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    for (const char *fact : {"Display: DEL DELL P2415Q\n", "Preferred mode: 3840x2160 @ 60 Hz\n",
                             "Manufacturer: DEL", "\nFindings:"})
        QVERIFY2(result.out.contains(fact), fact);
}

void TestCli::decodeJsonIsTheDecoders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("blocks");

    QTest::newRow("two blocks") << Sample << 2;
    QTest::newRow("three blocks, raw file decoded whole") << ThreeBlockSample << 3;
    QTest::newRow("base block only") << "dell-e178wfp-vga" << 1;
}

void TestCli::decodeJsonIsTheDecoders()
{
    QFETCH(QString, name);
    QFETCH(int, blocks);

    const QByteArray table = sample(qPrintable(name));
    putFile(QStringLiteral("table.bin"), table);
    const Run result =
        run({QStringLiteral("decode"), QStringLiteral("table.bin"), QStringLiteral("--json")});
    QCOMPARE(result.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject json = document.object();
    QCOMPARE(json.value(QStringLiteral("size")).toInt(), table.size());
    QCOMPARE(json.value(QStringLiteral("blocks")).toArray().size(), blocks);
    QVERIFY(!valueAt(json, QStringLiteral("base.manufacturer")).toString().isEmpty());
    QCOMPARE(valueAt(json, QStringLiteral("cta.vics")).isArray(), blocks > 1);
    // The decoder's JSON, and beside it what a source may use of the table.
    const varnex::edid::DecodedEdid decoded = varnex::edid::decodeEdid(table);
    QJsonObject expected = varnex::edid::toJson(decoded);
    expected[QStringLiteral("capabilities")] =
        varnex::edid::capabilitiesJson(varnex::edid::capabilitiesOf(decoded));
    QCOMPARE(json, expected);
}

void TestCli::verifyReportsFindings_data()
{
    QTest::addColumn<QList<QByteArray>>("files"); // file contents; empty: no such file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // whole lines of standard output, in order
    QTest::addColumn<QString>("error");     // on standard error

    const QByteArray good = sample(Sample);
    QByteArray badBlock1 = good;
    badBlock1[255] = char(badBlock1[255] + 1);
    QTest::newRow("valid") << QList<QByteArray>{good} << 0 << QStringList{"f0: valid"} << QString();
    QTest::newRow("wrong checksum")
        << QList<QByteArray>{badBlock1} << 3
        << QStringList{"f0: error: block 1, offset 0x0ff: The checksum of block 1", "f0: 1 error"}
        << QString();
    QTest::newRow("two files, one bad")
        << QList<QByteArray>{badBlock1, hexText(good)} << 3
        << QStringList{"checksum-block-1]", "f0: 1 error", "f1: valid"} << QString();
    QTest::newRow("unreadable file") << QList<QByteArray>{QByteArray(), good} << 1
                                     << QStringList{"f1: valid"} << "cannot read f0";
    QTest::newRow("hex text error names line and column")
        << QList<QByteArray>{hexText(good).replace(52, 1, "G")} << 3 << QStringList{}
        << "f0: Hex Format Error: Line 2, column 5: expected a hexadecimal digit.";
}

void TestCli::verifyReportsFindings()
{
    QFETCH(QList<QByteArray>, files);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QFETCH(QString, error);

    QStringList arguments{QStringLiteral("verify")};
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        if (!files[i].isEmpty())
            putFile(name, files[i]);
        arguments.append(name);
    }
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    // Each expected line starts a line, in order.
    qsizetype at = 0;
    for (const QString &line : lines) {
        at = result.out.indexOf(line.toUtf8(), at);
        QVERIFY2(at >= 0 && (at == 0 || result.out.at(at - 1) == '\n' || line.endsWith(']')),
                 qPrintable(line + QLatin1Char('\n') + QString::fromUtf8(result.out)));
    }
    QVERIFY2(result.err.contains(error.toUtf8()), result.err);
}

void TestCli::editChangesTheTable_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("field");     // in decode --json
    QTest::addColumn<QByteArray>("before"); // the value there, as JSON
    QTest::addColumn<QByteArray>("after");

    // The sample is a 4K HDR television's table with HDMI 2.1 blocks.
    QTest::newRow("name") << QStringList{"--name", "Room 1"} << "base.name"
                          << QByteArray("[\"SAMSUNG\"]") << QByteArray("[\"Room 1\"]");
    QTest::newRow("preferred") << QStringList{"--preferred", "1920x1080@60"}
                               << "summary.preferredMode" << QByteArray("[\"3840x2160 @ 60 Hz\"]")
                               << QByteArray("[\"1920x1080 @ 60 Hz\"]");
    QTest::newRow("max TMDS") << QStringList{"--max-tmds", "165"} << "cta.hdmi.maxTmdsMHz"
                              << QByteArray("[300]") << QByteArray("[165]");
    QTest::newRow("audio, repeated")
        << QStringList{"--audio", "lpcm:2", "--audio", "ac3:6::640"} << "cta.audio[].format"
        << QByteArray("[[\"LPCM\",\"AC-3\",\"E-AC-3\",\"MAT\"]]")
        << QByteArray("[[\"LPCM\",\"AC-3\"]]");
    QTest::newRow("speakers") << QStringList{"--speakers", "5.1"} << "cta.speakers"
                              << QByteArray("[[\"FL/FR\"]]")
                              << QByteArray("[[\"FL/FR\",\"LFE1\",\"FC\",\"BL/BR\"]]");
    QTest::newRow("no HDR") << QStringList{"--no-hdr"} << "cta.hdr.metadataTypes"
                            << QByteArray("[1]") << QByteArray("[null]");
    QTest::newRow("no HDMI Forum") << QStringList{"--no-hdmi-forum"} << "cta.hdmiForum.version"
                                   << QByteArray("[1]") << QByteArray("[null]");
    QTest::newRow("VICs, repeated")
        << QStringList{"--remove-vic", "97", "--remove-vic", "96", "--add-vic", "2"}
        << "cta.vics[].vic"
        << QByteArray("[[97,16,31,4,19,5,20,32,33,34,93,94,95,96,101,102,98,100,63,64,117,118,"
                      "218,219,194,195,196,198,199]]")
        << QByteArray("[[16,31,4,19,5,20,32,33,34,93,94,95,101,102,98,100,63,64,117,118,218,"
                      "219,194,195,196,198,199,2]]");
}

void TestCli::editChangesTheTable()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, field);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    putFile(QStringLiteral("in.bin"), sample(OtherSample));
    const auto decoded = [this](const QString &file) {
        return parseJson(run({QStringLiteral("decode"), file, QStringLiteral("--json")}).out);
    };
    // Wrapped in an array: a bare null or number is no JSON document.
    const auto at = [&field](const QJsonObject &json) {
        return QJsonDocument(QJsonArray{valueAt(json, field)}).toJson(QJsonDocument::Compact);
    };
    const QJsonObject original = decoded(QStringLiteral("in.bin"));
    QCOMPARE(at(original), before);

    const Run result = run(QStringList{QStringLiteral("edit"), QStringLiteral("in.bin"),
                                       QStringLiteral("-o"), QStringLiteral("out.bin")} +
                           edits);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    // A raw table stays raw.
    const QByteArray edited = TestFiles::readAll(path(QStringLiteral("out.bin")));
    QCOMPARE(edited.size(), 256);
    const QJsonObject changed = decoded(QStringLiteral("out.bin"));
    QCOMPARE(at(changed), after);
    // No new errors, and the checksums are right.
    QVERIFY(valueAt(changed, QStringLiteral("summary.errors")).toInt() <=
            valueAt(original, QStringLiteral("summary.errors")).toInt());
    QCOMPARE(run({QStringLiteral("verify"), QStringLiteral("out.bin")}).exitCode, 0);
}

void TestCli::editRefusals_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("name too long")
        << QStringList{"--name", "Conference room 12"} << QStringList{"--name", "13"};
    // A VIC already there is no refusal but a note (tst_shapecli).
    QTest::newRow("not a VIC") << QStringList{"--add-vic", "150"}
                               << QStringList{"150", "not a VIC"};
    QTest::newRow("TMDS clock beyond HDMI 1.4")
        << QStringList{"--max-tmds", "600"} << QStringList{"--max-tmds", "340"};
    QTest::newRow("second edit of two refused")
        << QStringList{"--name", "Room 1", "--max-tmds", "600"}
        << QStringList{"Edit 2 of 2", "--max-tmds"};
}

void TestCli::editRefusals()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, mentions);

    putFile(QStringLiteral("in.hex"), hexText(sample(OtherSample)));
    const Run result = run(QStringList{QStringLiteral("edit"), QStringLiteral("in.hex"),
                                       QStringLiteral("-o"), QStringLiteral("out")} +
                           edits);
    QCOMPARE(result.exitCode, 3);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains("edit refused"), result.err);
    for (const QString &word : mentions)
        QVERIFY2(result.err.contains(word.toUtf8()), result.err);
    QVERIFY(!QFile::exists(path(QStringLiteral("out"))));
}

void TestCli::presetListNamesEachPreset()
{
    const Run result = run({QStringLiteral("preset"), QStringLiteral("--list")});
    QCOMPARE(result.exitCode, 0);
    QByteArray expected;
    for (const QString &name : varnex::edid::presetNames())
        expected += (name + QLatin1Char('\t') + varnex::edid::presetTitle(name) + '\n').toUtf8();
    QCOMPARE(result.out, expected);
    QVERIFY(result.out.contains("1080p60-stereo\t"));
}

void TestCli::presetsAreValid_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : varnex::edid::presetNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestCli::presetsAreValid()
{
    QFETCH(QString, name);

    const Run preset =
        run({QStringLiteral("preset"), name, QStringLiteral("-o"), QStringLiteral("preset.hex")});
    QCOMPARE(preset.exitCode, 0);
    const QString file = path(QStringLiteral("preset.hex"));
    QVERIFY(TestFiles::readAll(file).startsWith("00 FF FF FF FF FF FF 00 "));

    const Run verify = run({QStringLiteral("verify"), file});
    QCOMPARE(verify.exitCode, 0);
    QVERIFY2(!verify.out.contains(": error:") && !verify.out.contains(": warning:"), verify.out);
    QVERIFY(verify.out.endsWith(": valid\n"));

    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed");
    const QString report = EdidDecodeOracle::run({QStringLiteral("-c"), file});
    QVERIFY2(report.contains(QLatin1String("EDID conformity: PASS")), qPrintable(report));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
