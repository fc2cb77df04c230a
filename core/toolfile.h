// What kind of program a file is, read from its headers: the same on every
// system; how a kind is started is the platform's (platform.h).
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace ToolFile {

enum class Kind {
    Native,         // an ELF program or a script with "#!"
    Windows64,      // a PE program for x86-64
    Windows32,      // a PE program for i386
    WindowsOther,   // a PE program for another processor
    Dos,            // an MZ program without a PE header: DOS
    DamagedWindows, // begins with "MZ" but is cut short or its headers do not hold
    NotAProgram,    // none of the above
};

// The kind, from the file's first bytes (`head`: at least its headers; the
// first 64 KiB are plenty) and its full size.
Kind classify(const QByteArray &head, qint64 fileSize);
// The same for a file on disk; NotAProgram when it cannot be read.
Kind classifyFile(const QString &path);

} // namespace ToolFile
