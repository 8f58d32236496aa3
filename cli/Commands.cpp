#include "Command.h"
#include "DecodeCommands.h"
#include "DeviceCommands.h"
#include "EditCommands.h"
#include "FileCommands.h"

namespace varnex::cli {

const QList<Command> &allCommands()
{
    static const QList<Command> commands = {
        devicesCommand(), readCommand(),   writeCommand(),   modeCommand(), verifyCommand(),
        fixCommand(),     decodeCommand(), convertCommand(), editCommand(), presetCommand(),
    };
    return commands;
}

} // namespace varnex::cli
