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

// The file system gave no answer in time (%1: the seconds waited).
inline const QString NoAnswer = QStringLiteral(
    "The file could not be read: the file system gave no answer within %1 seconds.\n"
    "A network share or drive may not be ready; try again once it answers.");

} // namespace Messages
