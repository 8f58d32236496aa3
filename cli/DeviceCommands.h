#pragma once

#include "Command.h"
#include "DeviceSession.h"
#include "DeviceStack.h"

#include <memory>

namespace varnex::cli {

// The device stack for a command, with --device applied. Null after telling
// the user why: the environment names no usable backend (ExitUsage).
std::unique_ptr<splitter::DeviceStack> openStack(CommandContext &context);

// Tells the user what a failed device action came to; returns ExitFailure.
int deviceFailure(CommandContext &context, const splitter::Outcome &outcome);

// Reads the splitter's table with the progress bar; a failure has been told
// to the user when the result is not Done.
splitter::SessionReadResult readDeviceTable(CommandContext &context,
                                            splitter::DeviceSession &session);

// The commands that talk to the splitter.
Command devicesCommand();
Command readCommand();
Command writeCommand();
Command modeCommand();

} // namespace varnex::cli
