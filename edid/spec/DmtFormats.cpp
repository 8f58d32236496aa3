#include "spec/DmtFormats.h"

#include <array>

namespace varnex::edid {

namespace {

constexpr bool RB = true; // reduced blanking
constexpr bool NB = false;
constexpr bool I = true;
constexpr bool S = false;

// VESA DMT 1.0 rev. 13: id, active size, totals, pixel clock in kHz, scan, blanking
// and the standard timing code DMT assigns (0: none).
constexpr std::array DmtTable{
    DmtFormat{0x01, 640, 350, 832, 445, 31500, S, NB, 0},
    DmtFormat{0x02, 640, 400, 832, 445, 31500, S, NB, 0x3119},
    DmtFormat{0x03, 720, 400, 936, 446, 35500, S, NB, 0},
    DmtFormat{0x04, 640, 480, 800, 525, 25175, S, NB, 0x3140},
    DmtFormat{0x05, 640, 480, 832, 520, 31500, S, NB, 0x314c},
    DmtFormat{0x06, 640, 480, 840, 500, 31500, S, NB, 0x314f},
    DmtFormat{0x07, 640, 480, 832, 509, 36000, S, NB, 0x3159},
    DmtFormat{0x08, 800, 600, 1024, 625, 36000, S, NB, 0},
    DmtFormat{0x09, 800, 600, 1056, 628, 40000, S, NB, 0x4540},
    DmtFormat{0x0a, 800, 600, 1040, 666, 50000, S, NB, 0x454c},
    DmtFormat{0x0b, 800, 600, 1056, 625, 49500, S, NB, 0x454f},
    DmtFormat{0x0c, 800, 600, 1048, 631, 56250, S, NB, 0x4559},
    DmtFormat{0x0d, 800, 600, 960, 636, 73250, S, RB, 0},
    DmtFormat{0x0e, 848, 480, 1088, 517, 33750, S, NB, 0},
    DmtFormat{0x0f, 1024, 768, 1264, 817, 44900, I, NB, 0},
    DmtFormat{0x10, 1024, 768, 1344, 806, 65000, S, NB, 0x6140},
    DmtFormat{0x11, 1024, 768, 1328, 806, 75000, S, NB, 0x614c},
    DmtFormat{0x12, 1024, 768, 1312, 800, 78750, S, NB, 0x614f},
    DmtFormat{0x13, 1024, 768, 1376, 808, 94500, S, NB, 0x6159},
    DmtFormat{0x14, 1024, 768, 1184, 813, 115500, S, RB, 0},
    DmtFormat{0x15, 1152, 864, 1600, 900, 108000, S, NB, 0x714f},
    DmtFormat{0x16, 1280, 768, 1440, 790, 68250, S, RB, 0},
    DmtFormat{0x17, 1280, 768, 1664, 798, 79500, S, NB, 0},
    DmtFormat{0x18, 1280, 768, 1696, 805, 102250, S, NB, 0},
    DmtFormat{0x19, 1280, 768, 1712, 809, 117500, S, NB, 0},
    DmtFormat{0x1a, 1280, 768, 1440, 813, 140250, S, RB, 0},
    DmtFormat{0x1b, 1280, 800, 1440, 823, 71000, S, RB, 0},
    DmtFormat{0x1c, 1280, 800, 1680, 831, 83500, S, NB, 0x8100},
    DmtFormat{0x1d, 1280, 800, 1696, 838, 106500, S, NB, 0x810f},
    DmtFormat{0x1e, 1280, 800, 1712, 843, 122500, S, NB, 0x8119},
    DmtFormat{0x1f, 1280, 800, 1440, 847, 146250, S, RB, 0},
    DmtFormat{0x20, 1280, 960, 1800, 1000, 108000, S, NB, 0x8140},
    DmtFormat{0x21, 1280, 960, 1728, 1011, 148500, S, NB, 0x8159},
    DmtFormat{0x22, 1280, 960, 1440, 1017, 175500, S, RB, 0},
    DmtFormat{0x23, 1280, 1024, 1688, 1066, 108000, S, NB, 0x8180},
    DmtFormat{0x24, 1280, 1024, 1688, 1066, 135000, S, NB, 0x818f},
    DmtFormat{0x25, 1280, 1024, 1728, 1072, 157500, S, NB, 0x8199},
    DmtFormat{0x26, 1280, 1024, 1440, 1084, 187250, S, RB, 0},
    DmtFormat{0x27, 1360, 768, 1792, 795, 85500, S, NB, 0},
    DmtFormat{0x28, 1360, 768, 1520, 813, 148250, S, RB, 0},
    DmtFormat{0x29, 1400, 1050, 1560, 1080, 101000, S, RB, 0},
    DmtFormat{0x2a, 1400, 1050, 1864, 1089, 121750, S, NB, 0x9040},
    DmtFormat{0x2b, 1400, 1050, 1896, 1099, 156000, S, NB, 0x904f},
    DmtFormat{0x2c, 1400, 1050, 1912, 1105, 179500, S, NB, 0x9059},
    DmtFormat{0x2d, 1400, 1050, 1560, 1112, 208000, S, RB, 0},
    DmtFormat{0x2e, 1440, 900, 1600, 926, 88750, S, RB, 0},
    DmtFormat{0x2f, 1440, 900, 1904, 934, 106500, S, NB, 0x9500},
    DmtFormat{0x30, 1440, 900, 1936, 942, 136750, S, NB, 0x950f},
    DmtFormat{0x31, 1440, 900, 1952, 948, 157000, S, NB, 0x9519},
    DmtFormat{0x32, 1440, 900, 1600, 953, 182750, S, RB, 0},
    DmtFormat{0x33, 1600, 1200, 2160, 1250, 162000, S, NB, 0xa940},
    DmtFormat{0x34, 1600, 1200, 2160, 1250, 175500, S, NB, 0xa945},
    DmtFormat{0x35, 1600, 1200, 2160, 1250, 189000, S, NB, 0xa94a},
    DmtFormat{0x36, 1600, 1200, 2160, 1250, 202500, S, NB, 0xa94f},
    DmtFormat{0x37, 1600, 1200, 2160, 1250, 229500, S, NB, 0xa959},
    DmtFormat{0x38, 1600, 1200, 1760, 1271, 268250, S, RB, 0},
    DmtFormat{0x39, 1680, 1050, 1840, 1080, 119000, S, RB, 0},
    DmtFormat{0x3a, 1680, 1050, 2240, 1089, 146250, S, NB, 0xb300},
    DmtFormat{0x3b, 1680, 1050, 2272, 1099, 187000, S, NB, 0xb30f},
    DmtFormat{0x3c, 1680, 1050, 2288, 1105, 214750, S, NB, 0xb319},
    DmtFormat{0x3d, 1680, 1050, 1840, 1112, 245500, S, RB, 0},
    DmtFormat{0x3e, 1792, 1344, 2448, 1394, 204750, S, NB, 0xc140},
    DmtFormat{0x3f, 1792, 1344, 2456, 1417, 261000, S, NB, 0xc14f},
    DmtFormat{0x40, 1792, 1344, 1952, 1423, 333250, S, RB, 0},
    DmtFormat{0x41, 1856, 1392, 2528, 1439, 218250, S, NB, 0xc940},
    DmtFormat{0x42, 1856, 1392, 2560, 1500, 288000, S, NB, 0xc94f},
    DmtFormat{0x43, 1856, 1392, 2016, 1473, 356500, S, RB, 0},
    DmtFormat{0x44, 1920, 1200, 2080, 1235, 154000, S, RB, 0},
    DmtFormat{0x45, 1920, 1200, 2592, 1245, 193250, S, NB, 0xd100},
    DmtFormat{0x46, 1920, 1200, 2608, 1255, 245250, S, NB, 0xd10f},
    DmtFormat{0x47, 1920, 1200, 2624, 1262, 281250, S, NB, 0xd119},
    DmtFormat{0x48, 1920, 1200, 2080, 1271, 317000, S, RB, 0},
    DmtFormat{0x49, 1920, 1440, 2600, 1500, 234000, S, NB, 0xd140},
    DmtFormat{0x4a, 1920, 1440, 2640, 1500, 297000, S, NB, 0xd14f},
    DmtFormat{0x4b, 1920, 1440, 2080, 1523, 380500, S, RB, 0},
    DmtFormat{0x4c, 2560, 1600, 2720, 1646, 268500, S, RB, 0},
    DmtFormat{0x4d, 2560, 1600, 3504, 1658, 348500, S, NB, 0},
    DmtFormat{0x4e, 2560, 1600, 3536, 1672, 443250, S, NB, 0},
    DmtFormat{0x4f, 2560, 1600, 3536, 1682, 505250, S, NB, 0},
    DmtFormat{0x50, 2560, 1600, 2720, 1694, 552750, S, RB, 0},
    DmtFormat{0x51, 1366, 768, 1792, 798, 85500, S, NB, 0},
    DmtFormat{0x52, 1920, 1080, 2200, 1125, 148500, S, NB, 0xd1c0},
    DmtFormat{0x53, 1600, 900, 1800, 1000, 108000, S, RB, 0xa9c0},
    DmtFormat{0x54, 2048, 1152, 2250, 1200, 162000, S, RB, 0xe1c0},
    DmtFormat{0x55, 1280, 720, 1650, 750, 74250, S, NB, 0x81c0},
    DmtFormat{0x56, 1366, 768, 1500, 800, 72000, S, RB, 0},
    DmtFormat{0x57, 4096, 2160, 4176, 2222, 556744, S, RB, 0},
    DmtFormat{0x58, 4096, 2160, 4176, 2222, 556188, S, RB, 0},
};

constexpr bool idsFollowIndex()
{
    for (std::size_t i = 0; i < DmtTable.size(); ++i) {
        if (DmtTable[i].id != int(i) + 1)
            return false;
    }
    return true;
}
static_assert(idsFollowIndex(), "dmtFormat() indexes the table by id");

constexpr Timing timing(int khz, int ha, int hf, int hs, int hb, int va, int vf, int vs, int vb,
                        bool hPos, bool vPos)
{
    Timing t;
    t.pixelClockKHz = khz;
    t.hActive = ha;
    t.hFrontPorch = hf;
    t.hSyncWidth = hs;
    t.hBackPorch = hb;
    t.vActive = va;
    t.vFrontPorch = vf;
    t.vSyncWidth = vs;
    t.vBackPorch = vb;
    t.hSyncPositive = hPos;
    t.vSyncPositive = vPos;
    return t;
}

constexpr bool P = true;
constexpr bool N = false;

// VESA DMT 1.0 rev 13 desktop modes with their porches. 1280x720@60 and
// 1920x1080@60 repeat VICs 4 and 16. DMT 640x480@60 differs from VIC 1 (it
// has 8-pixel borders), so it is not listed.
constexpr std::array DmtTimings{
    DmtTiming{0x09, timing(40000, 800, 40, 128, 88, 600, 1, 4, 23, P, P)},
    DmtTiming{0x10, timing(65000, 1024, 24, 136, 160, 768, 3, 6, 29, N, N)},
    DmtTiming{0x1C, timing(83500, 1280, 72, 128, 200, 800, 3, 6, 22, N, P)},
    DmtTiming{0x23, timing(108000, 1280, 48, 112, 248, 1024, 1, 3, 38, P, P)},
    DmtTiming{0x51, timing(85500, 1366, 70, 143, 213, 768, 3, 3, 24, P, P)},
    DmtTiming{0x2F, timing(106500, 1440, 80, 152, 232, 900, 3, 6, 25, N, P)},
    DmtTiming{0x53, timing(108000, 1600, 24, 80, 96, 900, 1, 3, 96, P, P)},
    DmtTiming{0x33, timing(162000, 1600, 64, 192, 304, 1200, 1, 3, 46, P, P)},
    DmtTiming{0x3A, timing(146250, 1680, 104, 176, 280, 1050, 3, 6, 30, N, P)},
    DmtTiming{0x44, timing(154000, 1920, 48, 32, 80, 1200, 3, 6, 26, P, N)},
    DmtTiming{0x4C, timing(268500, 2560, 48, 32, 80, 1600, 3, 6, 37, P, N)},
    DmtTiming{0x55, timing(74250, 1280, 110, 40, 220, 720, 5, 5, 20, P, P)},
    DmtTiming{0x52, timing(148500, 1920, 88, 44, 148, 1080, 4, 5, 36, P, P)},
};

} // namespace

std::span<const DmtTiming> dmtTimings()
{
    return DmtTimings;
}

double DmtFormat::refreshHz() const
{
    return refreshRateHz(pixelClockKHz, hTotal, vTotal, interlaced);
}

std::optional<DmtFormat> dmtFormat(int id)
{
    if (id < 1 || id > int(DmtTable.size()))
        return std::nullopt;
    return DmtTable[std::size_t(id - 1)];
}

std::optional<DmtFormat> dmtForStandardTiming(int byte1, int byte2)
{
    const int code = (byte1 << 8) | byte2;
    for (const DmtFormat &dmt : DmtTable) {
        if (dmt.standardCode != 0 && dmt.standardCode == code)
            return dmt;
    }
    return std::nullopt;
}

} // namespace varnex::edid
