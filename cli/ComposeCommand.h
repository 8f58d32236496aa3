#pragma once

#include "Command.h"

namespace varnex::cli {

// Writes one table that every input's display accepts.
Command composeCommand();

} // namespace varnex::cli
