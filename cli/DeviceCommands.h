#pragma once

#include "Command.h"

namespace varnex::cli {

// The commands that talk to the splitter.
Command devicesCommand();
Command readCommand();
Command writeCommand();
Command modeCommand();

} // namespace varnex::cli
