#pragma once

#include "Command.h"

namespace varnex::cli {

// The commands that work on files only.
Command fixCommand();
Command convertCommand();

} // namespace varnex::cli
