// What the user reads when the tool cannot start, each text in one place:
// why, and what mends it.
#pragma once

#include <QString>

namespace Messages {

// The file itself.
inline const QString DoesNotExist = QStringLiteral("The file does not exist.");
inline const QString IsAFolder = QStringLiteral("It is a folder, not a program.");
// A Windows tool on a system that is not Windows.
inline const QString NoWine = QStringLiteral(
    "It is a Windows program, and no Wine was found to run it.\n"
    "Install Wine to run Windows programs (Debian: apt install wine)");
inline const QString No32BitWine = QStringLiteral(
    "It is a 32-bit Windows program (i386), and this Wine runs only 64-bit ones.\n"
    "On Debian, add the i386 architecture and install the wine32 package, as root:\n"
    "dpkg --add-architecture i386 && apt update && apt install wine32:i386");
inline const QString OtherProcessor = QStringLiteral(
    "It is a Windows program for another kind of processor, which Wine cannot run on this machine.");
inline const QString Dos = QStringLiteral(
    "It is a DOS program, which Wine does not run.\n"
    "A DOS emulator does (Debian: apt install dosbox).");
inline const QString Damaged = QStringLiteral(
    "It begins like a Windows program but is not a valid one: it may be damaged or incomplete.\n"
    "Copy Quenlar.exe again and choose the copy.");
inline const QString NotExecutable = QStringLiteral("The file is not executable.");
inline const QString NotAProgram = QStringLiteral(
    "The file is not a program, and it is not executable.\n"
    "Choose Quenlar.exe itself on the Options page.");

// The file could not be opened (%1: the system's reason).
inline const QString Unreadable = QStringLiteral("The file could not be read: %1.");

// The source has no name by which Quenlar.exe, a Windows program that takes
// its arguments in the system's ANSI code page, can open it (%1: the source as
// it stands in its box; %2: the code page).
inline const QString SourceOutsideCodePage = QStringLiteral(
    "Quenlar.exe cannot open the source file %1.\n"
    "Its name holds letters outside the system's code page, %2, and the file has no short name without them.\n"
    "Give it a name of plain letters (A to Z, 0 to 9), in a folder of plain letters, and choose it there.");
inline const QString SourceForbiddenCharacters = QStringLiteral(
    "Quenlar.exe cannot open the source file %1.\n"
    "Its name holds characters that Windows does not allow in names (< > \" | ? * \\, control characters, "
    "or a blank or dot at the end), and the file has no short name without them.\n"
    "Give it a name of plain letters (A to Z, 0 to 9), in a folder of plain letters, and choose it there.");
inline const QString SourcePathTooLong = QStringLiteral(
    "Quenlar.exe cannot open the source file %1.\n"
    "Its path is longer than the 259 characters a Windows program of its age can open, even in short names.\n"
    "Move it to a folder with a shorter path, of plain letters (A to Z, 0 to 9), and choose it there.");
// Wine did not tell in time by which name the tool can open its source (%1:
// the seconds waited; %2: the source).
inline const QString NoAnswerFromWine = QStringLiteral(
    "Wine gave no answer within %1 seconds when asked by which name Quenlar.exe can open the source file %2.\n"
    "Its first start in a new Wine prefix takes some seconds: press Slice it again in a moment.");

// The terminal window that was to show the tool did not run it (%1: the
// terminal; %2: the seconds waited, or its exit status; %3: how to choose
// another).
inline const QString TerminalDidNotRun = QStringLiteral(
    "The terminal window did not run it: %1 had not started it after %2 seconds.\n%3");
inline const QString TerminalFailed = QStringLiteral(
    "The terminal window did not run it: %1 ended with an error (exit status %2).\n%3");
inline const QString RemedyDebianTerminal = QStringLiteral(
    "Choose another terminal, as root: update-alternatives --config x-terminal-emulator");
inline const QString RemedyXdgTerminalExec = QStringLiteral(
    "Choose another terminal for xdg-terminal-exec: put its desktop entry's name first in "
    "~/.config/xdg-terminals.list");
inline const QString RemedyTerminalVariable = QStringLiteral(
    "Name another terminal in the TERMINAL environment variable, or install xterm.");
// The launch file for the terminal could not be written (%1: the file; %2:
// the system's reason).
inline const QString LaunchFileNotWritten = QStringLiteral("The file %1 could not be written: %2.");

// The file system gave no answer in time (%1: the seconds waited).
inline const QString NoAnswer = QStringLiteral(
    "The file could not be read: the file system gave no answer within %1 seconds.\n"
    "A network share or drive may not be ready; try again once it answers.");

} // namespace Messages
