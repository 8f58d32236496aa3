#pragma once

#include <QList>
#include <QString>

// The dumps in tests/data/import and the raw samples (tests/data/edid) they
// were made from, as tests/data/README.md lists them.
namespace ImportSamples {

struct Sample
{
    QString file;      // in tests/data/import
    QString source;    // in tests/data/edid
    QString formName;  // as the user reads it after "Imported from "
    int tableSize;     // bytes in the dump
    QString note = {}; // what the importer tells of its choice, after the form's name
};

// The status bar's word after the sample was loaded into the window.
inline QString importedStatus(const Sample &sample)
{
    return QStringLiteral("Imported from ") + sample.formName +
           (sample.note.isEmpty() ? QString() : QStringLiteral(". ") + sample.note);
}

inline QString path(const QString &file)
{
    return QStringLiteral(VARNEX_TEST_DATA_DIR "/import/") + file;
}

inline QList<Sample> all()
{
    return {
        {"edid-decode-report.txt", "dell-p2415q-hdmi2.0", "an edid-decode report", 256},
        {"edid-decode-report-384.txt", "acer-xv273k-dp1", "an edid-decode report", 384},
        {"xrandr-verbose.txt", "sharp-aquos-hdmi", "xrandr --verbose output", 256,
         "Took the EDID of HDMI-1; no other output has one."},
        {"edid-bytes-report.txt", "dell-e178wfp-vga", "an EDID BYTES report", 128},
        {"xxd-i.txt", "lg-oled-c9-hdmi", "a C array", 256},
        {"xxd.txt", "samsung-q800t-hdmi2.1", "an xxd dump", 256},
        {"xxd-a.txt", "acer-xb321hk-dp", "an xxd dump", 256},
        {"hexdump-c.txt", "acer-xb321hk-dp", "a hexdump -C dump", 256},
        {"od-an-tx1.txt", "oculus-rift-dk1-hdmi", "rows of hex bytes", 256},
        {"xxd-p.txt", "lg-34wk95uw-thunderbolt-dp1-tile0", "rows of hex bytes", 512},
        {"base64.txt", "apple-cinemahd-30-dvi", "base64 text", 256},
    };
}

} // namespace ImportSamples
