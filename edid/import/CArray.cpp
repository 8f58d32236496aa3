#include "CArray.h"

#include "HexTokens.h"
#include "ImportResult.h"

#include <cctype>

namespace varnex::edid::forms {

namespace {

// Most hex digits in a byte literal: 0xFF.
constexpr int MaxLiteralDigits = 2;

// Reads the initialiser text with one position that only moves forward, so
// every character is looked at a bounded number of times.
class Scanner
{
public:
    explicit Scanner(QByteArrayView text) : m_text(text) {}

    qsizetype position() const { return m_pos; }
    void moveTo(qsizetype pos) { m_pos = pos; }
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    void advance() { ++m_pos; }

    // Skips white space and comments; false at an unterminated comment.
    bool skipSpace()
    {
        while (!atEnd()) {
            const QByteArrayView rest = m_text.sliced(m_pos);
            if (std::isspace(static_cast<unsigned char>(rest[0]))) {
                ++m_pos;
            } else if (rest.startsWith("//")) {
                const qsizetype end = rest.indexOf('\n');
                m_pos = end < 0 ? m_text.size() : m_pos + end + 1;
            } else if (rest.startsWith("/*")) {
                const qsizetype end = rest.indexOf("*/", 2);
                if (end < 0) {
                    m_pos = m_text.size();
                    return false;
                }
                m_pos += end + 2;
            } else {
                return true;
            }
        }
        return true;
    }

    // Reads "0x" and one or two hex digits, with an optional u suffix.
    bool readByte(QByteArray &out)
    {
        const QByteArrayView rest = m_text.sliced(m_pos);
        if (!rest.startsWith("0x") && !rest.startsWith("0X"))
            return false;
        qsizetype p = 2;
        int value = 0;
        while (p < rest.size() && hexDigitValue(rest[p]) >= 0 && p - 2 < MaxLiteralDigits + 1)
            value = value * 16 + hexDigitValue(rest[p++]);
        const qsizetype digits = p - 2;
        if (digits == 0 || digits > MaxLiteralDigits)
            return false;
        if (p < rest.size() && (rest[p] == 'u' || rest[p] == 'U'))
            ++p;
        // "0x1g" or "0x1u2" is no byte literal.
        if (p < rest.size() &&
            (std::isalnum(static_cast<unsigned char>(rest[p])) || rest[p] == '_'))
            return false;
        out.append(char(value));
        m_pos += p;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

// Reads the elements after an opening brace up to the closing one.
bool readElements(Scanner &in, QByteArray &table)
{
    while (in.skipSpace() && in.peek() == '{')
        in.advance();
    for (;;) {
        if (!in.skipSpace() || !in.readByte(table) || table.size() > MaxImportTableSize)
            return false;
        if (!in.skipSpace())
            return false;
        if (in.peek() == ',') {
            in.advance();
            if (!in.skipSpace())
                return false;
        } else if (in.peek() != '}') {
            return false;
        }
        if (in.peek() == '}')
            return true;
    }
}

} // namespace

std::optional<QByteArray> parseCArray(QByteArrayView text)
{
    Scanner in(text);
    QByteArray table;
    for (;;) {
        const qsizetype brace = text.indexOf('{', in.position());
        if (brace < 0)
            return std::nullopt;
        in.moveTo(brace + 1);
        table.clear();
        // The search goes on from where the read stopped: what it passed
        // over (leading braces, byte values, comments) opens no other array.
        if (readElements(in, table) && isWholeTableSize(table.size()))
            return table;
    }
}

} // namespace varnex::edid::forms
