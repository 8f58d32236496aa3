#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace varnex::edid {

// Audio format codes of CTA-861-H table 37.
namespace AudioFormat {
inline constexpr int Lpcm = 1;
inline constexpr int Ac3 = 2;
inline constexpr int Mpeg1 = 3;
inline constexpr int Mp3 = 4;
inline constexpr int Mpeg2 = 5;
inline constexpr int AacLc = 6;
inline constexpr int Dts = 7;
inline constexpr int Atrac = 8;
inline constexpr int OneBitAudio = 9;
inline constexpr int EnhancedAc3 = 10;
inline constexpr int DtsHd = 11;
inline constexpr int Mat = 12;
inline constexpr int Dst = 13;
inline constexpr int WmaPro = 14;
} // namespace AudioFormat

// Sample rate bits of SAD byte 2 (CTA-861-H table 39).
namespace SampleRate {
inline constexpr quint8 Khz32 = 0x01;
inline constexpr quint8 Khz44_1 = 0x02;
inline constexpr quint8 Khz48 = 0x04;
inline constexpr quint8 Khz88_2 = 0x08;
inline constexpr quint8 Khz96 = 0x10;
inline constexpr quint8 Khz176_4 = 0x20;
inline constexpr quint8 Khz192 = 0x40;
} // namespace SampleRate

// Sample size bits of SAD byte 3 for LPCM (CTA-861-H table 40).
namespace SampleSize {
inline constexpr quint8 Bits16 = 0x01;
inline constexpr quint8 Bits20 = 0x02;
inline constexpr quint8 Bits24 = 0x04;
} // namespace SampleSize

// One 3-byte Short Audio Descriptor of a CTA-861 audio data block (formats 1-14).
struct ShortAudioDescriptor
{
    int format = AudioFormat::Lpcm;
    int channels = 2; // 1 to 8
    quint8 sampleRates = SampleRate::Khz32 | SampleRate::Khz44_1 | SampleRate::Khz48;
    // LPCM: sample size bits; AC-3 to ATRAC: maximum bit rate in 8 kb/s units;
    // later formats: their format-dependent value.
    quint8 detail = SampleSize::Bits16 | SampleSize::Bits20 | SampleSize::Bits24;

    std::array<quint8, 3> encode() const;
    static ShortAudioDescriptor decode(const quint8 *bytes);
};

// Reads FORMAT:CHANNELS[:RATES[:DETAIL]], e.g. "lpcm:2", "lpcm:8:48,96,192:16,24",
// "ac3:6::448" (default rates), "eac3:8". FORMAT is one of lpcm, ac3, mpeg1, mp3, mpeg2, aac, dts,
// atrac, dsd, eac3, dtshd, mat (or truehd), dst, wmapro; RATES are kHz (default
// 32,44.1,48, also when empty); DETAIL is the sample sizes in bits for lpcm (default 16,20,24),
// the maximum bit rate in kb/s for ac3 to atrac (default 640 for ac3, 1536 for
// dts, else required), or the format-dependent byte for the rest (default 0).
// Nothing, with *error set, when the text does not read.
std::optional<ShortAudioDescriptor> parseAudioSpec(const QString &text, QString *error);

} // namespace varnex::edid
