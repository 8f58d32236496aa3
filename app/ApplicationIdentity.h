#pragma once

// Who the program is to the desktop and on the command line.

// Name of the installed program, as --help and --version print it.
inline constexpr char ApplicationName[] = "varnex-edid-utility";
// Reverse-DNS id of the desktop entry and the icon (packaging/).
inline constexpr char DesktopFileName[] = "io.github.varnex.EdidUtility";
// The packaged icon, carried in the program (app/app.qrc).
inline constexpr char WindowIconResource[] = ":/icons/io.github.varnex.EdidUtility.svg";

// Name, version and desktop file name; needs no application object, so that
// the command line can be answered before one exists.
void setApplicationIdentity();

// The window icon of every window of the application. Needs the application
// object, and Qt's SVG image plugin to draw the icon (Debian: libqt6svg6).
void applyWindowIcon();
