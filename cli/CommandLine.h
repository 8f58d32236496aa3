#pragma once

#include <QStringList>

namespace varnex::cli {

// Runs varnex-edid with `arguments` (the program name first) and returns its
// exit status: reads the global options, picks the command, checks its
// options and arguments (a usage error is exit status 2 with a pointer to
// --help), and runs it.
int runCommandLine(const QStringList &arguments);

} // namespace varnex::cli
