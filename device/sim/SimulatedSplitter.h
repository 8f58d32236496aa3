#pragma once

#include "DefaultEdid.h"

#include <QByteArray>

#include <array>
#include <map>
#include <optional>
#include <span>

namespace varnex::device::sim {

enum class SplitterMode : quint8
{
    Custom = 0,
    Automix = 1
};

// The Varnex behind the bridge: an EDID memory per I2C address, the mode and
// the EDID status counters. It answers the command frames as the firmware
// does, decoding them through the CommandFrame definitions.
class SimulatedSplitter
{
public:
    struct Answer
    {
        std::optional<QByteArray> reply; // nothing for a frame the firmware ignores
        bool stateChanged = false;       // memory or mode changed (worth saving)
    };

    SimulatedSplitter();

    Answer answer(std::span<const quint8> frame);

    // Memory behind `address`; one never written reads as erased (all 0xFF),
    // except 0xA0, which starts with defaultSimulatedEdid().
    EdidMemory memory(quint8 address) const;
    void setMemory(quint8 address, const EdidMemory &memory);
    SplitterMode mode() const { return m_mode; }
    void setMode(SplitterMode mode) { m_mode = mode; }
    // Counters of the status reply; readings counts the EDID read requests.
    quint8 readErrors() const { return m_readErrors; }
    void setReadErrors(quint8 errors) { m_readErrors = errors; }
    quint8 readings() const { return m_readings; }
    // The byte at `offset` of every memory keeps its value through writes, as
    // a worn EEPROM cell does. Not part of the saved state.
    void ignoreWritesAt(quint8 offset) { m_stuck[offset] = true; }

    // Memories and mode as bytes, and back. restoreState leaves the splitter
    // unchanged and returns false unless `state` is exactly what saveState
    // produces.
    QByteArray saveState() const;
    bool restoreState(const QByteArray &state);

private:
    QByteArray readReply(quint8 address, quint32 offset, quint8 count) const;

    std::map<quint8, EdidMemory> m_memories;
    SplitterMode m_mode = SplitterMode::Automix;
    quint8 m_readErrors = 0;
    quint8 m_readings = 0;
    std::array<bool, EdidMemorySize> m_stuck{};
};

} // namespace varnex::device::sim
