#pragma once

#include <QByteArrayView>

namespace varnex::edid::forms {

// Walks a text line by line without copying it. Lines end at LF; a CR
// before the LF is dropped, so CR LF files read like LF ones.
class LineReader
{
public:
    explicit LineReader(QByteArrayView text) : m_text(text) {}

    // Sets `line` to the next line, without its line end. False at the end
    // of the text; a final line without a line end is still a line.
    bool next(QByteArrayView &line)
    {
        if (m_pos >= m_text.size())
            return false;
        const QByteArrayView rest = m_text.sliced(m_pos);
        qsizetype end = rest.indexOf('\n');
        m_pos += end < 0 ? rest.size() : end + 1;
        line = end < 0 ? rest : rest.first(end);
        if (line.endsWith('\r'))
            line.chop(1);
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

} // namespace varnex::edid::forms
