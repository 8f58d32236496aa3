#pragma once

#include "spec/ByteRange.h"
#include "spec/CtaTags.h"
#include "spec/DetailedTiming.h"
#include "spec/VideoFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace varnex::edid {

// One short video descriptor: a VIC, and whether the display calls it native.
struct ShortVideo
{
    ByteRange at;
    int vic = 0;
    bool native = false;
    // The timing from the CTA-861 table; nullopt for a reserved code.
    std::optional<VideoFormat> format;
};

// One short audio descriptor (CTA-861-H, 7.5.2).
struct ShortAudio
{
    ByteRange at;
    int formatCode = 0;
    // The extension type code for format code 15, otherwise nullopt.
    std::optional<int> extendedCode;
    QString format;
    int channels = 0;
    QList<double> sampleRatesKHz;
    // Linear PCM only.
    QList<int> bitDepths;
    // AC-3, MPEG, DTS and ATRAC only.
    std::optional<int> maxBitrateKbps;
    // Byte 3 when its meaning depends on the format (no bit depths or rate).
    std::optional<int> formatValue;
};

struct VideoBlock
{
    QList<ShortVideo> svds;
};

struct AudioBlock
{
    QList<ShortAudio> sads;
};

struct SpeakerAllocation
{
    quint32 bits = 0;
    QStringList speakers;
};

// The HDMI 1.4 vendor-specific data block (OUI 00-0C-03).
struct HdmiVsdb
{
    // Four nibbles, a.b.c.d.
    int physicalAddress = 0;
    bool supportsAi = false;
    bool deepColor48 = false;
    bool deepColor36 = false;
    bool deepColor30 = false;
    bool deepColorY444 = false;
    bool dviDual = false;
    // Byte 7 times 5 MHz (0 when the byte is 0); nullopt when the block ends first.
    std::optional<int> maxTmdsMHz;
    // Content types (CNC bits: graphics, photo, cinema, game).
    int contentTypes = 0;
    // Raw latency bytes: 0 unknown, 255 no video/audio, else (v - 1) * 2 ms.
    std::optional<int> videoLatency;
    std::optional<int> audioLatency;
    std::optional<int> interlacedVideoLatency;
    std::optional<int> interlacedAudioLatency;
    bool present3d = false;
    int imageSize = 0;
    QList<int> hdmiVics;

    QString physicalAddressText() const;
};

// HDMI Forum sink capabilities: the HF-VSDB (OUI C4-5D-D8) or the HF-SCDB.
struct HdmiForumBlock
{
    int version = 0;
    // Max TMDS character rate times 5 MHz; nullopt when 0 (340 MHz or less).
    std::optional<int> maxTmdsMHz;
    bool scdc = false;
    bool readRequest = false;
    bool cableStatus = false;
    bool ccbpci = false;
    bool lte340Scramble = false;
    bool independentView3d = false;
    bool dualView3d = false;
    bool osdDisparity3d = false;
    int maxFrlRate = 0;
    bool uhdVic = false;
    bool deepColor420_48 = false;
    bool deepColor420_36 = false;
    bool deepColor420_30 = false;
    bool allm = false;
    bool fva = false;
    bool negativeMvrr = false;
    bool cinemaVrr = false;
    bool mDelta = false;
    bool qms = false;
    bool fapaStartLocation = false;
    int vrrMinHz = 0;
    int vrrMaxHz = 0;
    bool dsc12 = false;
    bool dscNative420 = false;
    bool dscAllBpp = false;
    bool dsc16bpc = false;
    bool dsc12bpc = false;
    bool dsc10bpc = false;
    int dscMaxFrlRate = 0;
    int dscMaxSlices = 0;
    int dscTotalChunkKBytes = 0;
    // Fields the block is long enough to hold.
    bool hasFrl = false;
    bool hasVrr = false;
    bool hasDsc = false;
};

// A vendor-specific block of another vendor: only the OUI is read.
struct VendorBlock
{
    quint32 oui = 0;
    QString vendor;
};

struct VideoCapability
{
    bool ycbcrQuantSelectable = false;
    bool rgbQuantSelectable = false;
    int ptScan = 0;
    int itScan = 0;
    int ceScan = 0;
};

struct Colorimetry
{
    QStringList standards;
    int metadataProfiles = 0;
};

struct HdrStaticMetadata
{
    int eotfBits = 0;
    QStringList eotfs;
    int metadataTypes = 0;
    // Desired content luminance in cd/m²; nullopt when the block ends first.
    std::optional<double> maxLuminance;
    std::optional<double> maxFrameAverageLuminance;
    std::optional<double> minLuminance;
};

// YCbCr 4:2:0 capability map: which SVDs also allow 4:2:0.
struct Ycbcr420Map
{
    bool allSvds = false;
    QList<int> svdIndexes;
};

using DataBlockContent = std::variant<std::monostate, VideoBlock, AudioBlock, SpeakerAllocation,
                                      HdmiVsdb, HdmiForumBlock, VendorBlock, VideoCapability,
                                      Colorimetry, HdrStaticMetadata, Ycbcr420Map>;

// One data block: where it is, what it is, its payload (the bytes after
// the tag byte, and after the extended tag for extended blocks) and what
// could be decoded from it. Unknown blocks keep only the payload.
struct DataBlock
{
    ByteRange at;
    int tag = 0;
    std::optional<int> extendedTag;
    QString name;
    QByteArray payload;
    // The block runs past the data block collection; payload is cut there.
    bool overrun = false;
    DataBlockContent content;
};

// A CTA-861 extension block.
struct CtaBlock
{
    int block = 0;
    int revision = 0;
    // Byte 2: where the detailed timings start (0: no timings, no data blocks).
    int dtdOffset = 0;
    // Byte 3 flags, from revision 2 on.
    std::optional<bool> underscan;
    std::optional<bool> basicAudio;
    std::optional<bool> ycbcr444;
    std::optional<bool> ycbcr422;
    std::optional<int> nativeDtds;
    QList<DataBlock> dataBlocks;
    QList<DetailedTiming> detailedTimings;
    // 18-byte slots among the timings with a zero pixel clock: no timing.
    QList<ByteRange> otherSlots;

    template <typename T> const T *first() const
    {
        for (const DataBlock &block : dataBlocks) {
            if (const T *content = std::get_if<T>(&block.content))
                return content;
        }
        return nullptr;
    }

    // SVDs of the video data blocks, in order.
    QList<ShortVideo> svds() const;
    // SADs of all audio data blocks, in order.
    QList<ShortAudio> sads() const;
    bool hasAudioBlock() const;
    // VICs that allow YCbCr 4:2:0: the 4:2:0 video data blocks' (4:2:0
    // only) and the SVDs marked in the capability map.
    QList<int> ycbcr420Vics() const;
};

} // namespace varnex::edid
