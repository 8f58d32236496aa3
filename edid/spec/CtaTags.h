#pragma once

namespace varnex::edid {

// Tag codes of the CTA-861 data block collection (CTA-861-H, table 55): bits 7-5
// of a data block's header byte. Plain enumerators, so that a tag read from a
// byte compares with them as an int.
namespace CtaTag {
enum Code : int
{
    Audio = 1,
    Video = 2,
    VendorSpecific = 3,
    SpeakerAllocation = 4,
    DisplayTransferCharacteristics = 5,
    VideoFormat = 6,
    Extended = 7
};
} // namespace CtaTag

// Extended tag codes: byte 1 of a tag-7 data block (CTA-861-H, table 56;
// 0x78 and 0x79 from HDMI 2.1).
namespace CtaExtendedTag {
enum Code : int
{
    VideoCapability = 0,
    VendorSpecificVideo = 1,
    VesaDisplayDevice = 2,
    VesaVideoTimingBlock = 3,
    Colorimetry = 5,
    HdrStaticMetadata = 6,
    HdrDynamicMetadata = 7,
    NativeVideoResolution = 8,
    VideoFormatPreference = 13,
    Ycbcr420Video = 14,
    Ycbcr420CapabilityMap = 15,
    VendorSpecificAudio = 17,
    HdmiAudio = 18,
    RoomConfiguration = 19,
    SpeakerLocation = 20,
    InfoFrame = 32,
    DisplayIdTypeVII = 34,
    DisplayIdTypeVIII = 35,
    DisplayIdTypeX = 42,
    HdmiForumEdidExtensionOverride = 0x78,
    HdmiForumSinkCapability = 0x79
};
} // namespace CtaExtendedTag

} // namespace varnex::edid
