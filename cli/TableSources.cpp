#include "TableSources.h"

#include "Command.h"
#include "DeviceCommands.h"
#include "DeviceStack.h"
#include "DisplayCommands.h"
#include "ExitStatus.h"

namespace varnex::cli {

TableSources::TableSources(CommandContext &context) : m_context(context) {}

TableSources::~TableSources() = default;

std::optional<TableInput> TableSources::load(const QString &source, int *exitStatus)
{
    const QLatin1String displayPrefix(DisplaySourcePrefix);
    if (source.startsWith(displayPrefix))
        return loadDisplayTable(m_context, source.sliced(displayPrefix.size()), exitStatus);
    if (source != QLatin1String(DeviceSource))
        return loadTable(source, m_context.console, exitStatus);

    if (!m_stack)
        m_stack = openStack(m_context);
    if (!m_stack) {
        *exitStatus = ExitUsage;
        return std::nullopt;
    }
    const splitter::SessionReadResult read = readDeviceTable(m_context, m_stack->session());
    if (!read.done()) {
        *exitStatus = ExitFailure;
        return std::nullopt;
    }
    return TableInput{read.image, edid::EdidFileKind::RawImage};
}

} // namespace varnex::cli
