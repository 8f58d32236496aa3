#pragma once

#include "Command.h"
#include "DeviceSession.h"
#include "EdidImage.h"

#include <memory>
#include <optional>

namespace varnex::cli {

class DeviceStack;

// The device stack for a command, with --device applied. Null after telling
// the user why, with *exitStatus set.
std::unique_ptr<DeviceStack> openStack(CommandContext &context, int *exitStatus);

// Tells the user what a failed device action came to; returns ExitFailure.
int deviceFailure(CommandContext &context, edid::SessionStatus status, const QString &message);

// Reads the splitter's table with the progress bar. Nothing after telling the
// user why, with *exitStatus set.
std::optional<edid::EdidImage> readDeviceTable(CommandContext &context,
                                               edid::DeviceSession &session, int *exitStatus);

// The commands that talk to the splitter.
Command devicesCommand();
Command readCommand();
Command writeCommand();
Command modeCommand();

} // namespace varnex::cli
