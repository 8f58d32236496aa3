#pragma once

#include "Checksum.h"
#include "EdidTestData.h"
#include "spec/EdidLayout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Hand-made tables: a real sample from tests/data/edid with a few bytes
// changed, so a test shows one fault in an otherwise real table.
namespace PatchedTable {

// Overwrites bytes as "0x82=0x10 0x83=0xF1" lists them.
inline void applyPatches(QByteArray &bytes, const QString &patches)
{
    for (const QString &patch : patches.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = patch.split(QLatin1Char('='));
        bytes[parts[0].toInt(nullptr, 0)] = char(parts[1].toInt(nullptr, 0));
    }
}

// Makes every whole block's checksum right again.
inline void fixChecksums(QByteArray &bytes)
{
    using namespace varnex::edid;
    for (int start = 0; start + EdidBlockSize <= bytes.size(); start += EdidBlockSize) {
        auto *block = reinterpret_cast<quint8 *>(bytes.data() + start);
        block[EdidChecksumOffset] = BlockChkSum(block);
    }
}

// The sample `name` with `patches` applied and valid checksums; empty when
// the sample is missing.
inline QByteArray patchedSample(const QString &name, const QString &patches)
{
    QByteArray bytes = EdidTestData::readSample(name);
    if (bytes.isEmpty())
        return bytes;
    applyPatches(bytes, patches);
    fixChecksums(bytes);
    return bytes;
}

} // namespace PatchedTable
