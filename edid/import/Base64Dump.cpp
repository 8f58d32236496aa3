#include "Base64Dump.h"

#include "ImportResult.h"

#include <cctype>

namespace varnex::edid::forms {

namespace {

// Base64 characters of the longest table: four for every three bytes, padded.
constexpr qsizetype MaxEncodedSize = (MaxImportTableSize + 2) / 3 * 4;

} // namespace

std::optional<QByteArray> parseBase64Dump(QByteArrayView text)
{
    QByteArray encoded;
    for (const char ch : text) {
        if (std::isspace(static_cast<unsigned char>(ch)))
            continue;
        if (encoded.size() == MaxEncodedSize)
            return std::nullopt;
        encoded.append(ch);
    }
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || !isWholeTableSize(decoded.decoded.size()) || decoded.decoded[0] != '\0')
        return std::nullopt;
    return decoded.decoded;
}

} // namespace varnex::edid::forms
