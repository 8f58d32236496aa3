#pragma once

#include <QFile>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

// Runs edid-decode, the reference EDID decoder, and reads the facts we
// compare with our own decoder out of its text output. Only the lines
// needed for the comparison are parsed; the output format is edid-decode's
// own and may grow, so unknown lines are skipped.
namespace EdidDecodeOracle {

inline QString program()
{
    return QStringLiteral("/usr/bin/edid-decode");
}

inline bool available()
{
    return QFile::exists(program());
}

struct Dtd
{
    int block = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int pixelClockKHz = 0;
};

struct Sad
{
    QString format;
    // -1 for a reserved format, whose channels edid-decode does not print.
    int channels = 0;
    // The E-AC-3 and MAT lines edid-decode prints for byte 3.
    QStringList flags;
};

// One CTA-861 extension block as edid-decode prints it.
struct CtaFacts
{
    int block = 0;
    QList<int> vics;
    QList<Sad> audio;
    std::optional<QString> physicalAddress;
    std::optional<int> maxTmdsMHz;
    std::optional<int> hdmiForumMaxTmdsMHz;
    // HDMI Forum capability lines: read request, scrambling, UHD VIC, and
    // the 4:2:0 deep colour depths as bits per pixel (30, 36, 48).
    bool readRequest = false;
    bool scrambling340 = false;
    bool uhdVic = false;
    QList<int> dc420;
    // AMD FreeSync: "1.1", and the refresh range in Hz.
    QString freeSyncVersion;
    std::optional<int> freeSyncMinHz;
    std::optional<int> freeSyncMaxHz;
    // Colorimetry standards in edid-decode's order, and the MD bits as "MD0".
    QStringList colorimetry;
    QStringList colorimetryMetadata;
    // HDR static metadata: the EOTF lines and the luminances in cd/m².
    QStringList eotfs;
    std::optional<double> hdrMaxLuminance;
    std::optional<double> hdrMaxFrameAverageLuminance;
    std::optional<double> hdrMinLuminance;
    std::optional<int> dolbyVisionVersion;
    // Dolby Vision: global dimming, PQ codes (versions 0, 2), luminance in
    // cd/m² (version 1), and the points as x, y pairs: red, green, blue,
    // then white where given.
    bool dolbyVisionGlobalDimming = false;
    std::optional<int> dolbyVisionMinPq;
    std::optional<int> dolbyVisionMaxPq;
    std::optional<double> dolbyVisionMinLuminance;
    std::optional<double> dolbyVisionMaxLuminance;
    QList<double> dolbyVisionPoints;
    // The first byte of the HDR10+ block: this edid-decode prints all of it
    // as the application version.
    std::optional<int> hdr10PlusVersion;
};

struct Facts
{
    QString manufacturer;
    int productCode = -1;
    // edid-decode leaves a serial number of 0 out.
    quint32 serialNumber = 0;
    std::optional<int> week;
    int year = 0;
    bool modelYear = false;
    QString version;
    std::optional<QString> name;
    // Detailed timings of the base block and the CTA-861 blocks, in order.
    QList<Dtd> dtds;
    QList<CtaFacts> cta;
    // Pixel clocks of the standard timings edid-decode computes by GTF (for
    // the sources it means; it adds the GTF timing for EDID 1.3 sources
    // beside a CVT one, which we leave out), and of those it computes by
    // CVT: standard timings and 3-byte CVT codes.
    QList<int> gtfPixelClocksKHz;
    QList<int> cvtPixelClocksKHz;
    // Detailed timings (Type I, VII) of the DisplayID blocks, in order.
    QList<Dtd> displayIdTimings;
};

// A DisplayID detailed timing line of block `block`: edid-decode prints
// them as "DTD:" without a number.
inline std::optional<Dtd> displayIdTiming(const QString &line, int block)
{
    static const QRegularExpression timing(
        QStringLiteral("^\\s+DTD:\\s+(\\d+)x(\\d+)(i?)\\s.*\\s([\\d.]+) MHz"));
    const auto m = timing.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return Dtd{block, m.captured(1).toInt(), m.captured(2).toInt(), !m.captured(3).isEmpty(),
               int(qRound(m.captured(4).toDouble() * 1000.0))};
}

// edid-decode's names of the audio formats, and ours.
inline QString audioFormat(const QString &oracleName)
{
    static const QMap<QString, QString> names{
        {QStringLiteral("Linear PCM"), QStringLiteral("LPCM")},
        {QStringLiteral("AC-3"), QStringLiteral("AC-3")},
        {QStringLiteral("MPEG 1 (Layers 1 & 2)"), QStringLiteral("MPEG-1")},
        {QStringLiteral("MPEG 1 Layer 3 (MP3)"), QStringLiteral("MP3")},
        {QStringLiteral("MPEG2 (multichannel)"), QStringLiteral("MPEG-2")},
        {QStringLiteral("AAC LC"), QStringLiteral("AAC LC")},
        {QStringLiteral("DTS"), QStringLiteral("DTS")},
        {QStringLiteral("ATRAC"), QStringLiteral("ATRAC")},
        {QStringLiteral("One Bit Audio"), QStringLiteral("DSD")},
        {QStringLiteral("Enhanced AC-3 (DD+)"), QStringLiteral("E-AC-3")},
        {QStringLiteral("DTS-HD"), QStringLiteral("DTS-HD")},
        {QStringLiteral("MAT (MLP)"), QStringLiteral("MAT")},
        {QStringLiteral("DST"), QStringLiteral("DST")},
        {QStringLiteral("WMA Pro"), QStringLiteral("WMA Pro")},
        {QStringLiteral("AC-4"), QStringLiteral("AC-4")}};
    static const QRegularExpression reserved(QStringLiteral("^Reserved \\(0x([0-9a-f]+)\\)$"));
    if (const auto m = reserved.match(oracleName); m.hasMatch())
        return QStringLiteral("reserved (%1)").arg(m.captured(1).toInt(nullptr, 16));
    return names.value(oracleName, QStringLiteral("unmapped: ") + oracleName);
}

// Parses edid-decode's output (hex dump skipped or not).
inline Facts parse(const QString &output)
{
    static const QRegularExpression blockLine(QStringLiteral("^Block (\\d+), (.*):$"));
    static const QRegularExpression dtdLine(
        QStringLiteral("^\\s+DTD\\s+\\d+:\\s+(\\d+)x(\\d+)(i?)\\s.*\\s([\\d.]+) MHz"));
    static const QRegularExpression vicLine(
        QStringLiteral("^\\s+(?:VIC\\s+(\\d+):|Unknown \\(VIC\\s*(\\d+)\\))"));
    static const QRegularExpression madeIn(
        QStringLiteral("^\\s+Made in: (?:week (\\d+) of )?(\\d+)$"));
    static const QRegularExpression number(QStringLiteral("(\\d+)"));

    Facts facts;
    int block = -1;
    bool ctaBlock = false;
    bool displayIdBlock = false;
    QString section;
    QString subsection;
    QString audioFormatName;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (const auto m = blockLine.match(line); m.hasMatch()) {
            block = m.captured(1).toInt();
            ctaBlock = m.captured(2).startsWith(QLatin1String("CTA-861"));
            displayIdBlock = m.captured(2).startsWith(QLatin1String("DisplayID"));
            if (ctaBlock) {
                facts.cta.append(CtaFacts{});
                facts.cta.last().block = block;
            }
            section.clear();
            continue;
        }
        if (block < 0)
            continue;
        // Sections of a block are the lines indented by two spaces, their
        // subsections by four.
        if (line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("   ")))
            section = line.trimmed();
        if (line.startsWith(QLatin1String("    ")) && !line.startsWith(QLatin1String("     ")))
            subsection = line.trimmed();
        const QString text = line.trimmed();
        const auto value = [&text](const char *key) {
            return text.mid(QLatin1String(key).size()).trimmed();
        };
        if (const auto m = dtdLine.match(line); m.hasMatch() && (block == 0 || ctaBlock)) {
            facts.dtds.append(Dtd{block, m.captured(1).toInt(), m.captured(2).toInt(),
                                  !m.captured(3).isEmpty(),
                                  int(qRound(m.captured(4).toDouble() * 1000.0))});
            continue;
        }
        if (displayIdBlock) {
            if (const auto t = displayIdTiming(line, block))
                facts.displayIdTimings.append(*t);
            continue;
        }
        if (block == 0) {
            if (text.startsWith(QLatin1String("EDID Structure Version & Revision:")))
                facts.version = value("EDID Structure Version & Revision:");
            else if (text.startsWith(QLatin1String("Manufacturer:")))
                facts.manufacturer = value("Manufacturer:");
            else if (text.startsWith(QLatin1String("Model:")))
                facts.productCode = value("Model:").toInt();
            else if (text.startsWith(QLatin1String("Serial Number:")))
                facts.serialNumber = number.match(text).captured(1).toUInt();
            else if (text.startsWith(QLatin1String("Model year:"))) {
                facts.modelYear = true;
                facts.year = value("Model year:").toInt();
            } else if (const auto m = madeIn.match(line); m.hasMatch()) {
                if (!m.captured(1).isEmpty())
                    facts.week = m.captured(1).toInt();
                facts.year = m.captured(2).toInt();
            } else if (text.startsWith(QLatin1String("GTF     :")) ||
                       text.startsWith(QLatin1String("CVT     :")) ||
                       text.startsWith(QLatin1String("CVT:"))) {
                static const QRegularExpression clock(QStringLiteral("([\\d.]+) MHz"));
                const int kHz = int(qRound(clock.match(text).captured(1).toDouble() * 1000.0));
                if (text.startsWith(QLatin1String("CVT")))
                    facts.cvtPixelClocksKHz.append(kHz);
                else if (!text.endsWith(QLatin1String("(EDID 1.3 source)")))
                    facts.gtfPixelClocksKHz.append(kHz);
            } else if (text.startsWith(QLatin1String("Display Product Name:"))) {
                const QString quoted = value("Display Product Name:");
                facts.name = quoted.mid(1, quoted.size() - 2);
            }
            continue;
        }
        if (!ctaBlock)
            continue;
        CtaFacts &cta = facts.cta.last();
        if (section == QLatin1String("Video Data Block:")) {
            if (const auto m = vicLine.match(line); m.hasMatch())
                cta.vics.append((m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toInt());
        } else if (section == QLatin1String("Audio Data Block:")) {
            // Formats are indented by four spaces, their fields by six.
            const bool formatLine =
                line.startsWith(QLatin1String("    ")) && !line.startsWith(QLatin1String("     "));
            if (formatLine && text.endsWith(QLatin1Char(':')))
                audioFormatName = text.chopped(1);
            else if (formatLine && text.startsWith(QLatin1String("Reserved")))
                cta.audio.append(Sad{audioFormat(text), -1, {}});
            else if (text.startsWith(QLatin1String("Max channels:")))
                cta.audio.append(
                    Sad{audioFormat(audioFormatName), value("Max channels:").toInt(), {}});
            else if (!cta.audio.isEmpty() &&
                     (text.startsWith(QLatin1String("Supports Joint Object")) ||
                      text.startsWith(QLatin1String("Supports Dolby TrueHD")) ||
                      text.startsWith(QLatin1String("Supports only Dolby TrueHD")) ||
                      text.startsWith(QLatin1String("Hash calculation"))))
                cta.audio.last().flags.append(text);
        } else if (section.startsWith(QLatin1String("Vendor-Specific Data Block (AMD)"))) {
            if (text.startsWith(QLatin1String("Version:")))
                cta.freeSyncVersion = value("Version:");
            else if (text.startsWith(QLatin1String("Minimum Refresh Rate:")))
                cta.freeSyncMinHz = number.match(text).captured(1).toInt();
            else if (text.startsWith(QLatin1String("Maximum Refresh Rate:")))
                cta.freeSyncMaxHz = number.match(text).captured(1).toInt();
        } else if (section == QLatin1String("Colorimetry Data Block:") && text != section) {
            if (text.startsWith(QLatin1String("Reserved MD")))
                cta.colorimetryMetadata.append(text.mid(9));
            else
                cta.colorimetry.append(text);
        } else if (section == QLatin1String("HDR Static Metadata Data Block:")) {
            static const QRegularExpression luminance(QStringLiteral("\\(([\\d.]+) cd/m\\^2\\)"));
            const double cdm2 = luminance.match(text).captured(1).toDouble();
            if (line.startsWith(QLatin1String("      ")) &&
                subsection == QLatin1String("Electro optical transfer functions:"))
                cta.eotfs.append(text);
            else if (text.startsWith(QLatin1String("Desired content max luminance:")))
                cta.hdrMaxLuminance = cdm2;
            else if (text.startsWith(QLatin1String("Desired content max frame-average")))
                cta.hdrMaxFrameAverageLuminance = cdm2;
            else if (text.startsWith(QLatin1String("Desired content min luminance:")))
                cta.hdrMinLuminance = cdm2;
        } else if (section.startsWith(QLatin1String("Vendor-Specific Video Data Block (Dolby)"))) {
            static const QRegularExpression point(
                QStringLiteral("^(?:Unique )?[RGBW]x, [RGBW]y: ([\\d.]+), ([\\d.]+)$"));
            static const QRegularExpression decimal(QStringLiteral(": ([\\d.]+)"));
            if (text.startsWith(QLatin1String("Version:")))
                cta.dolbyVisionVersion = number.match(text).captured(1).toInt();
            else if (text == QLatin1String("Supports global dimming"))
                cta.dolbyVisionGlobalDimming = true;
            else if (text.startsWith(QLatin1String("Target Min PQ")))
                cta.dolbyVisionMinPq = decimal.match(text).captured(1).toInt();
            else if (text.startsWith(QLatin1String("Target Max PQ")))
                cta.dolbyVisionMaxPq = decimal.match(text).captured(1).toInt();
            else if (text.startsWith(QLatin1String("Target Min Luminance:")))
                cta.dolbyVisionMinLuminance = decimal.match(text).captured(1).toDouble();
            else if (text.startsWith(QLatin1String("Target Max Luminance:")))
                cta.dolbyVisionMaxLuminance = decimal.match(text).captured(1).toDouble();
            else if (const auto m = point.match(text); m.hasMatch())
                cta.dolbyVisionPoints << m.captured(1).toDouble() << m.captured(2).toDouble();
        } else if (section.startsWith(QLatin1String("Vendor-Specific Video Data Block (HDR10+)")) &&
                   text.startsWith(QLatin1String("Application Version:"))) {
            cta.hdr10PlusVersion = number.match(text).captured(1).toInt();
        } else if (section.startsWith(QLatin1String("Vendor-Specific Data Block (HDMI Forum)")) ||
                   section.startsWith(QLatin1String("HDMI Forum Sink Capability"))) {
            static const QRegularExpression dc420(
                QStringLiteral("^Supports (\\d+)-bits/component Deep Color 4:2:0"));
            if (text == QLatin1String("SCDC Read Request Capable"))
                cta.readRequest = true;
            else if (text == QLatin1String("Supports scrambling for <= 340 Mcsc"))
                cta.scrambling340 = true;
            else if (text == QLatin1String("Supports UHD VIC"))
                cta.uhdVic = true;
            else if (const auto m = dc420.match(text); m.hasMatch())
                cta.dc420.prepend(3 * m.captured(1).toInt());
            else if (text.startsWith(QLatin1String("Maximum TMDS Character Rate:")))
                cta.hdmiForumMaxTmdsMHz = number.match(text).captured(1).toInt();
        } else if (text.startsWith(QLatin1String("Source physical address:"))) {
            cta.physicalAddress = value("Source physical address:");
        } else if (text.startsWith(QLatin1String("Maximum TMDS clock:"))) {
            cta.maxTmdsMHz = number.match(text).captured(1).toInt();
        }
    }
    return facts;
}

// Runs edid-decode with `arguments` and returns its standard output, or an
// empty string when it could not run. Its exit code is not checked: it
// exits non-zero for tables that fail its conformance checks.
inline QString run(const QStringList &arguments)
{
    QProcess process;
    process.start(program(), arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One entry of edid-decode's timing lists (--list-vics, --list-dmts); the
// porches are set with --long-timings.
struct ListedTiming
{
    int width = 0;
    int height = 0;
    bool interlaced = false;
    double refreshHz = 0;
    QString aspect;
    int pixelClockKHz = 0;
    int hFront = 0;
    int hSync = 0;
    int hBack = 0;
    bool hPositive = false;
    int vFront = 0;
    int vSync = 0;
    int vBack = 0;
    bool vPositive = false;
    // The DMT's 2-byte standard timing code, 0 when it has none.
    int standardCode = 0;
};

// The timings of a list, by code (VIC, or DMT id in hexadecimal).
inline QMap<int, ListedTiming> listTimings(const QStringList &arguments)
{
    static const QRegularExpression head(
        QStringLiteral("^(?:VIC|DMT)\\s+(\\w+):\\s+(\\d+)x(\\d+)(i?)\\s+([\\d.]+) "
                       "Hz\\s+(\\d+:\\d+)\\s+[\\d.]+ kHz\\s+"
                       "([\\d.]+) MHz"));
    static const QRegularExpression standardCode(
        QStringLiteral("STD: 0x([0-9a-f]{2}) 0x([0-9a-f]{2})"));
    static const QRegularExpression porches(QStringLiteral(
        "^\\s+([HV])front\\s+(\\d+) [HV]sync\\s+(\\d+) [HV]back\\s+(\\d+) [HV]pol ([PN])"));
    QMap<int, ListedTiming> timings;
    int code = -1;
    bool vSeen = false;
    for (const QString &line : run(arguments).split(QLatin1Char('\n'))) {
        if (const auto m = head.match(line); m.hasMatch()) {
            const QString id = m.captured(1);
            code = id.startsWith(QLatin1String("0x")) ? id.mid(2).toInt(nullptr, 16) : id.toInt();
            vSeen = false;
            timings[code] = ListedTiming{m.captured(2).toInt(),
                                         m.captured(3).toInt(),
                                         !m.captured(4).isEmpty(),
                                         m.captured(5).toDouble(),
                                         m.captured(6),
                                         int(qRound(m.captured(7).toDouble() * 1000.0))};
            if (const auto c = standardCode.match(line); c.hasMatch())
                timings[code].standardCode =
                    (c.captured(1).toInt(nullptr, 16) << 8) | c.captured(2).toInt(nullptr, 16);
        } else if (const auto p = porches.match(line); p.hasMatch() && code >= 0) {
            ListedTiming &t = timings[code];
            // Interlaced formats list the odd field first; take that one.
            if (p.captured(1) == QLatin1String("H")) {
                t.hFront = p.captured(2).toInt();
                t.hSync = p.captured(3).toInt();
                t.hBack = p.captured(4).toInt();
                t.hPositive = p.captured(5) == QLatin1String("P");
            } else if (!vSeen) {
                vSeen = true;
                t.vFront = p.captured(2).toInt();
                t.vSync = p.captured(3).toInt();
                t.vBack = p.captured(4).toInt();
                t.vPositive = p.captured(5) == QLatin1String("P");
            }
        }
    }
    return timings;
}

inline Facts decodeFile(const QString &path)
{
    return parse(run({QStringLiteral("--skip-hex-dump"), path}));
}

} // namespace EdidDecodeOracle
