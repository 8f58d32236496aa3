#include "Command.h"
#include "DecodeCommands.h"
#include "DeviceCommands.h"
#include "DiffCommand.h"
#include "DisplayCommands.h"
#include "EditCommands.h"
#include "FileCommands.h"
#include "LibraryCommands.h"

namespace varnex::cli {

const QList<Command> &allCommands()
{
    static const QList<Command> commands = {
        devicesCommand(), displaysCommand(), readCommand(),    writeCommand(),   modeCommand(),
        verifyCommand(),  fixCommand(),      decodeCommand(),  convertCommand(), diffCommand(),
        editCommand(),    presetCommand(),   libraryCommand(),
    };
    return commands;
}

} // namespace varnex::cli
