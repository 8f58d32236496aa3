#pragma once

#include "DeviceSettings.h"

#include <array>

// Size of the scratch buffer in which a read composes the EDID hex text
// (768 characters and a terminator fit).
inline constexpr int EdidTextBufferSize = 1000;

// The few process-wide records the window works on. There is one window per
// process; tests reset the record between cases.
struct ProcessState
{
    varnex::splitter::DeviceSettings deviceSettings;
    // Zero-filled by the five action slots before their body runs.
    std::array<char, EdidTextBufferSize> EdidTextBuffer{};
    // True once the reset reminder after a write has been shown in this run.
    bool ResetReminderShown = false;
};

ProcessState &processState();
