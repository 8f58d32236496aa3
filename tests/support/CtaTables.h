#pragma once

#include "Checksum.h"
#include "EdidTestData.h"
#include "spec/EdidLayout.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Hand-made tables for CTA-861 blocks no sample carries: a real base block
// followed by CTA blocks built from data blocks written in hex.
namespace CtaTables {

using namespace varnex::edid;

// "0x82=0x10 0x83=0xF1": bytes to overwrite; "0x6C:0000F8 0102" writes a
// run of bytes from 0x6C (spaces in the run allowed).
inline void applyPatches(QByteArray &bytes, const QString &patches)
{
    if (const int colon = patches.indexOf(QLatin1Char(':')); colon > 0) {
        const QByteArray run =
            QByteArray::fromHex(patches.mid(colon + 1).remove(QLatin1Char(' ')).toLatin1());
        bytes.replace(patches.left(colon).toInt(nullptr, 0), run.size(), run);
        return;
    }
    for (const QString &patch : patches.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = patch.split(QLatin1Char('='));
        bytes[parts[0].toInt(nullptr, 0)] = char(parts[1].toInt(nullptr, 0));
    }
}

inline void fixChecksums(QByteArray &bytes)
{
    for (int start = 0; start + EdidBlockSize <= bytes.size(); start += EdidBlockSize) {
        auto *block = reinterpret_cast<quint8 *>(bytes.data() + start);
        block[EdidChecksumOffset] = BlockChkSum(block);
    }
}

// A CTA-861 revision 3 block whose data block collection is `dataBlocks`
// ("E2 78 02 ..."), with no detailed timings; checksum not yet set.
inline QByteArray ctaBlock(const QString &dataBlocks)
{
    const QByteArray collection = QByteArray::fromHex(dataBlocks.toLatin1());
    QByteArray block(EdidBlockSize, '\0');
    block[0] = char(CtaLayout::ExtensionTag);
    block[1] = 3;
    block[2] = char(CtaLayout::DataBlocks + collection.size());
    block.replace(CtaLayout::DataBlocks, collection.size(), collection);
    return block;
}

// The base block of `sample` with its extension count set to `count`
// (-1: the number of blocks given), then `extensions`, checksums fixed.
inline QByteArray table(const QString &sample, const QList<QByteArray> &extensions, int count = -1)
{
    QByteArray bytes = EdidTestData::readSample(sample).left(EdidBlockSize);
    bytes[BaseLayout::ExtensionCount] = char(count >= 0 ? count : int(extensions.size()));
    for (const QByteArray &extension : extensions)
        bytes += extension;
    fixChecksums(bytes);
    return bytes;
}

} // namespace CtaTables
