#pragma once

#include "TableInput.h"

#include <QString>

#include <memory>
#include <optional>

namespace varnex::splitter {
class DeviceStack;
}

namespace varnex::cli {

struct CommandContext;

// The word that stands for the splitter's table, and the prefix of a display
// of this computer ("display:HDMI-A-1"), wherever a command takes a table
// from somewhere other than a file.
inline constexpr char DeviceSource[] = "device";
inline constexpr char DisplaySourcePrefix[] = "display:";

// Reads tables named as a command's sources: a FILE argument (any import
// form, "-", lib:NAME), `device` or `display:CONNECTOR`. The device stack is
// opened on the first `device` and serves every later one.
class TableSources
{
public:
    explicit TableSources(CommandContext &context);
    ~TableSources();

    // The table, or nothing after telling the user why, with *exitStatus set
    // (ExitUsage for a bad VARNEX_BRIDGE, ExitFailure when the device or a
    // file failed, ExitInvalidData for a file that holds no table).
    std::optional<TableInput> load(const QString &source, int *exitStatus);

private:
    CommandContext &m_context;
    std::unique_ptr<splitter::DeviceStack> m_stack;
};

} // namespace varnex::cli
