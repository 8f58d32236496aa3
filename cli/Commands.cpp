#include "Command.h"
#include "DecodeCommands.h"
#include "DeviceCommands.h"
#include "FileCommands.h"

namespace varnex::cli {

const QList<Command> &allCommands()
{
    static const QList<Command> commands = {
        devicesCommand(), readCommand(), writeCommand(),  modeCommand(),
        verifyCommand(),  fixCommand(),  decodeCommand(), convertCommand(),
    };
    return commands;
}

} // namespace varnex::cli
