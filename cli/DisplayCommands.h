#pragma once

#include "Command.h"
#include "TableFormat.h"

namespace varnex::cli {

// The option of `read` that takes the table from a display of this computer.
inline const QString FromDisplayOptionName = QStringLiteral("from-display");

// The command that lists the displays connected to this computer.
Command displaysCommand();

// `read --from-display CONNECTOR`: the EDID of that display, through the
// rules of a FILE argument, written in `format` to -o (default standard
// output). No device is opened. Returns the exit status.
int readFromDisplay(CommandContext &context, TableFormat format);

} // namespace varnex::cli
