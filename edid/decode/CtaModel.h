#pragma once

#include "decode/CiePoint.h"
#include "decode/DescriptorModel.h"
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
    // What byte 3 says for E-AC-3 (joint object coding) and MAT.
    QStringList flags;
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
    // Four nibbles, a.b.c.d; nullopt when the block ends before them.
    std::optional<int> physicalAddress;
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
    // 3D_Multi_present (0: no 3D structure or mask follows).
    int multi3d = 0;
    int imageSize = 0;
    QList<int> hdmiVics;
    // 3D_Structure_ALL (bit n: structure n) and 3D_MASK (bit n: SVD n),
    // when 3D_Multi_present says they follow.
    std::optional<int> structures3d;
    std::optional<int> mask3d;
    // Whether byte 8 (content types, what follows) and the HDMI video byte
    // are present, and where the latter is, counted from the header byte.
    bool hasVideoFlags = false;
    bool hasHdmiVideo = false;
    int hdmiVideoOffset = 0;

    // "a.b.c.d", or an empty string when the address is absent.
    QString physicalAddressText() const;
    // Names of the CNC bits: graphics, photo, cinema, game.
    QStringList contentTypeNames() const;
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

    // 30, 36 and 48 where 4:2:0 deep colour is supported.
    QList<int> deepColor420() const;
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
    // Bits 0 to 3 of byte 3: gamut metadata profiles MD0 to MD3.
    int metadataProfiles = 0;
    // "MD0".."MD3" for the bits set.
    QStringList metadataProfileNames() const;
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

// AMD FreeSync vendor-specific data block (OUI 00-00-1A).
struct FreeSyncBlock
{
    int majorVersion = 0;
    int minorVersion = 0;
    int minRefreshHz = 0;
    int maxRefreshHz = 0;
    // Flags of version 1.x; the 2.x flags and luminance when the block holds them.
    int flags = 0;
    std::optional<int> flags2;
    std::optional<int> maxLuminanceCode;
    std::optional<int> minLuminanceCode;
};

// Dolby Vision vendor-specific video data block (OUI 00-D0-46). Version 0
// (21 bytes after the OUI) gives 12-bit primaries, white point and PQ
// targets; version 1 (7 or 10 bytes) luminance in cd/m² and primaries;
// version 2 (7 bytes) PQ targets and primaries packed in a narrower range.
struct DolbyVisionBlock
{
    int version = 0;
    // Display management version: major number, and the minor number in
    // version 0 (later versions say only "3.x").
    std::optional<int> dmVersion;
    std::optional<int> dmMinorVersion;
    bool supports2160p60 = false;
    bool yuv422Bits12 = false;
    bool globalDimming = false;
    // Target luminance in cd/m²: given in version 1, from the PQ codes
    // (SMPTE ST 2084, 12-bit) in versions 0 and 2.
    std::optional<double> targetMinLuminance;
    std::optional<double> targetMaxLuminance;
    // Versions 0 and 2: target luminance as 12-bit PQ code values.
    std::optional<int> targetMinPq;
    std::optional<int> targetMaxPq;
    // Versions 1 and 2: the interfaces the display takes.
    std::optional<QString> interface;
    // Version 1: "BT.709" or "P3-D65".
    std::optional<QString> colorimetry;
    // Version 2: backlight minimum luminance in cd/m², and the 4:4:4
    // 10/12-bit code (0 none, 1 10 bits, 2 12 bits, 3 reserved).
    std::optional<int> backlightMinLuminance;
    std::optional<int> yuv444Code;
    // The display's primaries (all versions, when the block holds them) and
    // white point (version 0).
    std::optional<CiePoint> red;
    std::optional<CiePoint> green;
    std::optional<CiePoint> blue;
    std::optional<CiePoint> white;
    // Version 1's long layout: a byte per coordinate.
    bool byteCoordinates = false;

    // "not supported", "10 bits", "12 bits" or "reserved"; empty without a code.
    QString yuv444Text() const;
};

// HDR10+ vendor-specific video data block (OUI 90-84-8B): byte 0 holds the
// application version (bits 1-0), the full-frame peak luminance index
// (bits 3-2) and the peak luminance index (bits 7-4).
struct Hdr10PlusBlock
{
    int applicationVersion = 0;
    int fullFramePeakLuminanceIndex = 0;
    int peakLuminanceIndex = 0;
};

// Dolby vendor-specific audio data block (OUI 00-D0-46).
struct DolbyAudioBlock
{
    int version = 0;
    bool headphoneOnly = false;
    bool heightZone = false;
    bool surroundZone = false;
    bool centerZone = false;
    bool mat48kOnly = false;
};

// InfoFrame data block: the InfoFrame types the sink accepts beyond the
// ones every sink takes.
struct InfoFrameBlock
{
    int processingLength = 0;
    struct Entry
    {
        ByteRange at;
        int type = 0;
        QString name;
        // Vendor-specific InfoFrames name their OUI.
        std::optional<quint32> oui;
    };
    QList<Entry> infoFrames;
};

// HDMI Forum EDID Extension Override: how many extension blocks the
// table really has (byte 0x7E stays 1 for older sources).
struct EeodbBlock
{
    int blockCount = 0;
};

// Video format preference data block: short video references in order of
// preference.
struct VideoFormatPreference
{
    struct Entry
    {
        ByteRange at;
        int code = 0;
        QString text;
    };
    QList<Entry> preferences;
};

struct RoomConfiguration
{
    bool displayValid = false;
    bool speakerCountValid = false;
    bool speakerLocationsValid = false;
    int speakerCount = 0;
    quint32 speakers = 0;
};

struct SpeakerLocations
{
    struct Entry
    {
        ByteRange at;
        int channel = 0;
        bool active = false;
        int speakerId = 0;
        std::optional<QList<int>> coordinates;
    };
    QList<Entry> locations;
};

// HDR dynamic metadata data block: the metadata types the sink takes.
struct HdrDynamicMetadata
{
    struct Entry
    {
        ByteRange at;
        int type = 0;
        QString name;
        int version = 0;
    };
    QList<Entry> types;
};

using DataBlockContent =
    std::variant<std::monostate, VideoBlock, AudioBlock, SpeakerAllocation, HdmiVsdb,
                 HdmiForumBlock, VendorBlock, VideoCapability, Colorimetry, HdrStaticMetadata,
                 Ycbcr420Map, FreeSyncBlock, DolbyVisionBlock, Hdr10PlusBlock, DolbyAudioBlock,
                 InfoFrameBlock, EeodbBlock, VideoFormatPreference, RoomConfiguration,
                 SpeakerLocations, HdrDynamicMetadata>;

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

    // The decoder understood the block: it is more than its bytes (a vendor
    // block of an OUI nobody documents is only bytes).
    bool decoded() const
    {
        return !std::holds_alternative<std::monostate>(content) &&
               !std::holds_alternative<VendorBlock>(content);
    }
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
    // Display descriptors (serial string, dummy...) in the timing area, which
    // sources accept there as in the base block.
    QList<Descriptor> descriptors;

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
