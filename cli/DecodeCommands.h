#pragma once

#include "Command.h"

namespace varnex::cli {

// The commands that run the decoder on files.
Command decodeCommand();
Command verifyCommand();

} // namespace varnex::cli
