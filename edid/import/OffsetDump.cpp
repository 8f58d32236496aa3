#include "OffsetDump.h"

#include "ImportResult.h"
#include "LineReader.h"

namespace varnex::edid::forms {

namespace {

// The rows of one dump so far.
class OffsetRows
{
public:
    // False when the row does not follow on or the table grows too long.
    bool add(qint64 offset, QByteArrayView bytes)
    {
        if (!reach(offset))
            return false;
        m_bytes.append(bytes);
        m_last = bytes.toByteArray();
        return m_bytes.size() <= MaxImportTableSize;
    }

    void markRepeat() { m_repeat = true; }

    // Fills a pending repeat up to `offset` and tells whether the rows end
    // exactly there.
    bool reach(qint64 offset)
    {
        if (m_repeat) {
            m_repeat = false;
            const qint64 gap = offset - m_bytes.size();
            // Bounded before anything is appended: the offset comes from the text.
            if (m_last.isEmpty() || gap < 0 || offset > MaxImportTableSize ||
                gap % m_last.size() != 0)
                return false;
            for (qint64 n = gap / m_last.size(); n > 0; --n)
                m_bytes.append(m_last);
        }
        return offset == m_bytes.size();
    }

    // A table is known only once no repeat waits for its length.
    bool isWholeTable() const { return !m_repeat && isWholeTableSize(m_bytes.size()); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QByteArray m_last;
    bool m_repeat = false;
};

enum class Step
{
    GoesOn,
    Ends,   // the dump is over; what it holds stands
    Breaks, // the dump is damaged and is dropped
};

Step feed(OffsetRows &rows, bool parsed, OffsetRow &row)
{
    if (!parsed)
        return Step::Ends;
    switch (row.kind) {
    case OffsetRow::Kind::Repeat:
        rows.markRepeat();
        return Step::GoesOn;
    case OffsetRow::Kind::End:
        return rows.reach(row.offset) ? Step::Ends : Step::Breaks;
    case OffsetRow::Kind::Data:
        if (row.offset == 0)
            return Step::Ends;
        return rows.add(row.offset, row.bytes) ? Step::GoesOn : Step::Breaks;
    }
    return Step::Breaks;
}

} // namespace

std::optional<QByteArray> findOffsetDump(QByteArrayView text, OffsetRowParser parseRow)
{
    LineReader lines(text);
    QByteArrayView line;
    OffsetRow row;
    std::optional<OffsetRows> dump;
    while (lines.next(line)) {
        const bool parsed = parseRow(line.trimmed(), row);
        if (dump) {
            const Step step = feed(*dump, parsed, row);
            if (step == Step::GoesOn)
                continue;
            if (step == Step::Ends && dump->isWholeTable())
                return dump->bytes();
            dump.reset();
        }
        if (parsed && row.kind == OffsetRow::Kind::Data && row.offset == 0) {
            dump.emplace();
            dump->add(0, row.bytes);
        }
    }
    if (dump && dump->isWholeTable())
        return dump->bytes();
    return std::nullopt;
}

} // namespace varnex::edid::forms
