// The tool in a terminal window of its own, as Windows gives a console
// program a console window. Defined in terminal_unix.cpp.
#pragma once

#include "platform.h"

namespace Platform {

// The terminal the desktop would use: xdg-terminal-exec, else
// x-terminal-emulator, else the one $TERMINAL names, else the first of a list
// of today's terminals. None without a display.
Terminal terminal();

// Starts the command in its terminal. The terminal gets nothing it could
// split, expand or drop: a shell and the path of a private launch file, both
// of plain characters; the file holds the program, its arguments, the
// environment Dravolt changes and the folder, quoted for the shell, and
// removes itself before it runs the tool. A file still there when the
// terminal has ended with an error, or after TerminalAnswerMs, was never
// reached: Dravolt withdraws it and tells `notRun` why.
bool startInTerminal(const ToolCommand &command, QString *error, const NotRunHandler &notRun);

// How long a terminal may take to start the launch file.
constexpr int TerminalAnswerMs = 5000;

} // namespace Platform
