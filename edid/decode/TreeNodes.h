#pragma once

#include "HexOffset.h"
#include "decode/DecodedTree.h"

// Building blocks of the decoded tree, shared by the base block and the
// extension block parts.
namespace varnex::edid::tree {

using Nodes = QList<DecodedNode>;

DecodedNode node(const QString &name, const QString &value, int offset = -1, int length = 0,
                 const Nodes &children = {});
QString yesNo(bool value);
// "00 FF 1A".
QString hexBytes(const QByteArray &bytes);
// "148.50 MHz" from kHz.
QString mhz(int kHz);
QString timingText(const TimingCode &t);
Nodes timingNodes(const QList<TimingCode> &timings);
// A detailed timing with its fields at their offsets in the 18 bytes.
DecodedNode detailedTimingNode(const QString &name, const DetailedTiming &t);

} // namespace varnex::edid::tree
