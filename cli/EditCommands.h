#pragma once

#include "Command.h"

namespace varnex::cli {

// The commands that make tables through the core's edits.
Command editCommand();
Command presetCommand();

} // namespace varnex::cli
