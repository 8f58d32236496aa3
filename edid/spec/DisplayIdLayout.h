#pragma once

// The numbers of a DisplayID section carried in an EDID extension block
// (VESA DisplayID 1.3 and 2.0): where the section sits in the block, its
// data block tags and the sizes and units of the timing descriptors.
namespace varnex::edid {

// Offsets in the EDID extension block: the section starts after the tag.
namespace DisplayIdLayout {
inline constexpr int Version = 1;
// Bytes of data blocks in the section (the five fixed bytes not counted).
inline constexpr int Length = 2;
// Display product type (1.x) or primary use case (2.x).
inline constexpr int ProductType = 3;
inline constexpr int ExtensionCount = 4;
inline constexpr int DataBlocks = 5;
// Version, length, product type and extension count before the data
// blocks, and the section checksum after them.
inline constexpr int FixedBytes = 5;
// A section in one EDID block ends before the block's checksum at 127.
inline constexpr int MaxLength = 127 - DataBlocks - 1;
// Tag, revision and payload length before each data block's payload.
inline constexpr int BlockHeader = 3;
} // namespace DisplayIdLayout

// Data block tags: 0x00-0x13 from DisplayID 1.3 (table 2-1), 0x20-0x2E from
// DisplayID 2.0 (table 4-1); 0x7E, 0x7F and 0x81 are shared.
namespace DisplayIdTag {
enum Code : int
{
    ProductId = 0x00,
    DisplayParameters = 0x01,
    ColorCharacteristics = 0x02,
    TypeITiming = 0x03,
    TypeIITiming = 0x04,
    TypeIIITiming = 0x05,
    TypeIVTiming = 0x06,
    DmtTimings = 0x07,
    CtaTimings = 0x08,
    TimingRange = 0x09,
    SerialNumber = 0x0A,
    AsciiString = 0x0B,
    DisplayDevice = 0x0C,
    PowerSequencing = 0x0D,
    TransferCharacteristics = 0x0E,
    DisplayInterface = 0x0F,
    StereoInterface = 0x10,
    TypeVTiming = 0x11,
    TiledTopology = 0x12,
    TypeVITiming = 0x13,
    ProductId2 = 0x20,
    DisplayParameters2 = 0x21,
    TypeVIITiming = 0x22,
    TypeVIIITiming = 0x23,
    TypeIXTiming = 0x24,
    TimingRange2 = 0x25,
    InterfaceFeatures = 0x26,
    StereoInterface2 = 0x27,
    TiledTopology2 = 0x28,
    ContainerId = 0x29,
    TypeXTiming = 0x2A,
    AdaptiveSync = 0x2B,
    ArVrHmd = 0x2C,
    ArVrLayer = 0x2D,
    BrightnessRange = 0x2E,
    VendorSpecific2 = 0x7E,
    VendorSpecific = 0x7F,
    CtaDataBlocks = 0x81
};
} // namespace DisplayIdTag

// Bytes per descriptor of the timing blocks.
inline constexpr int DisplayIdDetailedTimingSize = 20;
inline constexpr int DisplayIdShortTimingSize = 3;
inline constexpr int DisplayIdTypeIITimingSize = 11;
inline constexpr int DisplayIdTypeVTimingSize = 7;
inline constexpr int DisplayIdTypeVITimingSize = 14;
inline constexpr int DisplayIdFormulaTimingSize = 6;
inline constexpr int DisplayIdAdaptiveSyncSize = 6;
inline constexpr int DisplayIdTiledTopologySize = 22;
inline constexpr int DisplayIdContainerIdSize = 16;
// Bits in the DMT bitmap (bytes 0-9) and the CTA bitmap (bytes 0-7).
inline constexpr int DisplayIdDmtBitmapBytes = 10;
inline constexpr int DisplayIdCtaBitmapBytes = 8;

// A Type I detailed timing stores its pixel clock minus one in 10 kHz, a
// Type VII one in 1 kHz.
inline constexpr int DisplayIdTypeIClockUnitKHz = 10;
inline constexpr int DisplayIdTypeVIIClockUnitKHz = 1;

} // namespace varnex::edid
