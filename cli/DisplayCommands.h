#pragma once

#include "Command.h"
#include "TableFormat.h"
#include "TableInput.h"

#include <optional>

namespace varnex::cli {

// The option of `read` that takes the table from a display of this computer.
inline const QString FromDisplayOptionName = QStringLiteral("from-display");

// The command that lists the displays connected to this computer.
Command displaysCommand();

// The EDID of the display on `connector` (a connector or folder name, as
// 'displays' lists it), through the rules of a FILE argument. Nothing after
// telling the user why, with *exitStatus set.
std::optional<TableInput> loadDisplayTable(CommandContext &context, const QString &connector,
                                           int *exitStatus);

// `read --from-display CONNECTOR`: the EDID of that display, through the
// rules of a FILE argument, written in `format` to -o (default standard
// output). No device is opened. Returns the exit status.
int readFromDisplay(CommandContext &context, TableFormat format);

} // namespace varnex::cli
