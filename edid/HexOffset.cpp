#include "HexOffset.h"

namespace varnex::edid {

QString hexValue(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, '0');
}

QString hexOffset(int offset)
{
    return hexValue(offset);
}

} // namespace varnex::edid
