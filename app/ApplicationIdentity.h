#pragma once

// Who the program is to the desktop and on the command line.

// Name of the installed program, as --help and --version print it.
inline constexpr char ApplicationName[] = "varnex-edid-utility";
// Reverse-DNS id of the desktop entry and the icon (packaging/).
inline constexpr char DesktopFileName[] = "io.github.varnex.EdidUtility";
// The packaged icon's PNG renditions, one per size, drawn at build time
// and carried in the program (app/window-icons.qrc.in).
inline constexpr char WindowIconFolder[] = ":/icons";

// Name, version and desktop file name; needs no application object, so that
// the command line can be answered before one exists.
void setApplicationIdentity();

// The window icon of every window of the application. Needs the application
// object; PNG only, so no image plugin is loaded for it.
void applyWindowIcon();
