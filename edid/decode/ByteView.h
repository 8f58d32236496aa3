#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>

namespace varnex::edid {

// A read-only window on part of an EDID image that cannot read outside it:
// every read past its end gives 0, so lengths taken from the data need no
// separate check before use. Offsets are relative to the window; absolute()
// turns them into offsets in the whole image for findings and the tree.
// The window does not own the bytes; they must outlive it.
class ByteView
{
public:
    ByteView() = default;
    ByteView(QByteArrayView bytes, int base) : m_bytes(bytes), m_base(base) {}

    int size() const { return int(m_bytes.size()); }
    int base() const { return m_base; }
    int absolute(int offset) const { return m_base + offset; }

    bool contains(int offset, int length = 1) const
    {
        return offset >= 0 && length >= 0 && offset <= size() && length <= size() - offset;
    }

    quint8 at(int offset) const { return contains(offset) ? quint8(m_bytes[offset]) : 0; }

    // `count` bits of the byte at `offset`, starting at bit `lowBit`.
    int bits(int offset, int lowBit, int count) const
    {
        return (at(offset) >> lowBit) & ((1 << count) - 1);
    }
    bool bit(int offset, int bitIndex) const { return bits(offset, bitIndex, 1) != 0; }

    int le16(int offset) const { return at(offset) | (at(offset + 1) << 8); }
    quint32 le32(int offset) const
    {
        return quint32(le16(offset)) | (quint32(le16(offset + 2)) << 16);
    }

    // The part of this window from `offset`, at most `length` bytes long;
    // empty when `offset` is outside.
    ByteView mid(int offset, int length) const
    {
        if (offset < 0 || offset > size() || length <= 0)
            return ByteView({}, absolute(std::clamp(offset, 0, size())));
        return ByteView(m_bytes.sliced(offset, std::min(length, size() - offset)),
                        absolute(offset));
    }

    QByteArray toByteArray() const { return m_bytes.toByteArray(); }

private:
    QByteArrayView m_bytes;
    int m_base = 0;
};

} // namespace varnex::edid
