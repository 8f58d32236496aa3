#pragma once

namespace varnex::cli {

// The exit statuses of varnex-edid, the same for every command.
enum ExitStatus : int
{
    ExitSuccess = 0,
    ExitFailure = 1,     // the device or a file failed
    ExitUsage = 2,       // unknown command or option, missing argument, bad environment
    ExitInvalidData = 3, // the EDID data is invalid
};

} // namespace varnex::cli
