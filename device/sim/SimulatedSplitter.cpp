#include "SimulatedSplitter.h"

#include "CommandFrame.h"
#include "LinkSettings.h"

namespace varnex::device::sim {

namespace {

// Identifies a state file of this simulator, format version 1.
constexpr char StateMagic[] = "VNXSIM01";
constexpr qsizetype StateMagicSize = sizeof(StateMagic) - 1;
// A memory record in the state file: the address byte, then its 256 bytes.
constexpr qsizetype MemoryRecordSize = 1 + qsizetype(EdidMemorySize);
// Value of a memory cell that was never written, as in an erased EEPROM.
constexpr quint8 ErasedByte = 0xFF;

quint8 modeReplyByte(SplitterMode mode)
{
    return mode == SplitterMode::Automix ? 1 : 0;
}

} // namespace

SimulatedSplitter::SimulatedSplitter()
{
    m_memories[DefaultEdidAddress] = defaultSimulatedEdid();
}

EdidMemory SimulatedSplitter::memory(quint8 address) const
{
    const auto found = m_memories.find(address);
    if (found != m_memories.end())
        return found->second;
    EdidMemory erased;
    erased.fill(ErasedByte);
    return erased;
}

void SimulatedSplitter::setMemory(quint8 address, const EdidMemory &memory)
{
    m_memories[address] = memory;
}

QByteArray SimulatedSplitter::readReply(quint8 address, quint32 offset, quint8 count) const
{
    const EdidMemory bytes = memory(address);
    QByteArray reply;
    for (quint32 i = 0; i < count; ++i)
        reply.append(char(bytes[(offset + i) % EdidMemorySize]));
    return reply;
}

SimulatedSplitter::Answer SimulatedSplitter::answer(std::span<const quint8> bytes)
{
    const std::optional<DecodedFrame> frame = decodeFrame(bytes);
    if (!frame)
        return {};
    switch (frame->kind) {
    case FrameKind::Read:
        // The firmware knows only the one-byte-offset read.
        if (frame->command != ReadCommand)
            return {};
        m_readings = quint8(m_readings + 1);
        return {readReply(frame->address, frame->offset, frame->count), false};
    case FrameKind::Status: {
        QByteArray reply(StatusReplyLength, '\0');
        reply[0] = char(m_readErrors);
        reply[1] = char(m_readings);
        return {reply, false};
    }
    case FrameKind::Write: {
        EdidMemory bytesAt = memory(frame->address);
        for (std::size_t i = 0; i < frame->data.size(); ++i) {
            const std::size_t at = (frame->offset + i) % EdidMemorySize;
            if (!m_stuck[at])
                bytesAt[at] = frame->data[i];
        }
        setMemory(frame->address, bytesAt);
        return {QByteArray(WriteReplyLength, '\0'), true};
    }
    case FrameKind::Mode: {
        const auto selector = ModeSelector(frame->address);
        bool changed = false;
        if (selector != ModeSelector::Query) {
            const SplitterMode chosen = selector == ModeSelector::SelectAutomix
                                            ? SplitterMode::Automix
                                            : SplitterMode::Custom;
            changed = chosen != m_mode;
            m_mode = chosen;
        }
        return {QByteArray(frame->count, char(modeReplyByte(m_mode))), changed};
    }
    }
    return {};
}

QByteArray SimulatedSplitter::saveState() const
{
    QByteArray state(StateMagic, StateMagicSize);
    state.append(char(m_mode));
    for (const auto &[address, bytes] : m_memories) {
        state.append(char(address));
        state.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    }
    return state;
}

bool SimulatedSplitter::restoreState(const QByteArray &state)
{
    const qsizetype headerSize = StateMagicSize + 1;
    if (state.size() < headerSize || !state.startsWith(QByteArray(StateMagic, StateMagicSize)) ||
        (state.size() - headerSize) % MemoryRecordSize != 0)
        return false;
    const auto mode = quint8(state[StateMagicSize]);
    if (mode != quint8(SplitterMode::Custom) && mode != quint8(SplitterMode::Automix))
        return false;

    std::map<quint8, EdidMemory> memories;
    for (qsizetype at = headerSize; at < state.size(); at += MemoryRecordSize) {
        EdidMemory bytes;
        std::copy(state.begin() + at + 1, state.begin() + at + MemoryRecordSize, bytes.begin());
        memories[quint8(state[at])] = bytes;
    }
    m_memories = std::move(memories);
    m_mode = SplitterMode(mode);
    return true;
}

} // namespace varnex::device::sim
