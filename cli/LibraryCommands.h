#pragma once

#include "Command.h"

namespace varnex::cli {

// `library list|add|show|rename|remove`: the named tables of the library
// folder (edid::EdidLibrary), which every FILE argument reaches as lib:NAME.
Command libraryCommand();

} // namespace varnex::cli
