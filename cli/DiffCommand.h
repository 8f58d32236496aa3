#pragma once

#include "Command.h"

namespace varnex::cli {

// Compares two tables, each a file or the splitter's.
Command diffCommand();

} // namespace varnex::cli
