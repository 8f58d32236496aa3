#include "HexOffset.h"

namespace varnex::edid {

QString hexOffset(int offset)
{
    return QStringLiteral("0x") + QString::number(offset, 16).toUpper().rightJustified(2, '0');
}

} // namespace varnex::edid
