#include "Command.h"
#include "DeviceCommands.h"
#include "DiffCommand.h"
#include "DisplayCommands.h"
#include "FileCommands.h"

namespace varnex::cli {

const QList<Command> &allCommands()
{
    static const QList<Command> commands = {
        devicesCommand(), displaysCommand(), readCommand(),    writeCommand(),
        modeCommand(),    fixCommand(),      convertCommand(), diffCommand(),
    };
    return commands;
}

} // namespace varnex::cli
