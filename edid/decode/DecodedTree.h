#pragma once

#include "decode/EdidModel.h"

#include <QList>
#include <QString>

namespace varnex::edid {

// One line of the decoded table for people: a section or field, its value
// as text and the bytes it comes from (absolute offset, -1 when the node
// stands for no bytes of its own).
struct DecodedNode
{
    QString name;
    QString value;
    int offset = -1;
    int length = 0;
    QList<DecodedNode> children;
};

// The table as a tree: one child of the root per block, sections and
// fields below. The findings are not part of it (see DecodedEdid::findings).
DecodedNode decodedTree(const DecodedEdid &edid);

// The summary, the tree (indented, with each node's offset) and then the
// findings with severity, block and offset: what `varnex-edid decode` prints.
QString toText(const DecodedEdid &edid);

} // namespace varnex::edid
