#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

// EDID images for tests: real samples from tests/data/edid and generated ones.
namespace EdidTestData {

using varnex::edid::EdidImage;

inline QString sampleDir()
{
    return QStringLiteral(VARNEX_TEST_DATA_DIR "/edid");
}

// The sample files, by name; the licence beside them is not one.
inline QStringList sampleNames()
{
    QStringList names = QDir(sampleDir()).entryList(QDir::Files, QDir::Name);
    names.removeAll(QStringLiteral("LICENSE"));
    return names;
}

// The first 256 bytes, missing ones 0.
inline EdidImage toImage(const QByteArray &bytes)
{
    EdidImage image{};
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), image.size()), image.begin());
    return image;
}

// What the Varnex takes of a whole table cut to 256 bytes: the first 256
// bytes counting at most the one extension they keep, block 0's checksum
// right. For tables whose base block holds the count (no HDMI Forum override).
inline EdidImage keptImage(const QByteArray &bytes)
{
    EdidImage image = toImage(bytes);
    if (bytes.size() > qsizetype(image.size()) && image[0x7E] > 1) {
        image[0x7E] = 1;
        quint8 sum = 0;
        for (int i = 0; i < 127; ++i)
            sum = quint8(sum + image[std::size_t(i)]);
        image[127] = quint8(0x100 - sum);
    }
    return image;
}

inline QByteArray toBytes(const EdidImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), qsizetype(image.size()));
}

inline QByteArray readSample(const QString &name)
{
    QFile file(sampleDir() + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline EdidImage countingImage()
{
    EdidImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = quint8(i);
    return image;
}

// Reproducible noise from a seed.
inline EdidImage randomImage(quint32 seed)
{
    QRandomGenerator generator(seed);
    EdidImage image{};
    for (quint8 &byte : image)
        byte = quint8(generator.bounded(256));
    return image;
}

} // namespace EdidTestData
