// Reading what a stand-in recorded: one line per start, a number and then the
// arguments, separated by 0x1F. The tool stand-in (standin/quenlar.cpp) writes
// its start time, the viewer stand-in (viewer/standin_viewer.cpp) its pid.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>

#ifdef Q_OS_UNIX
#  include <csignal>
#  include <sys/types.h>
#endif

struct StandinRun
{
    qint64 number = 0; // the tool: steady-clock start in ns; a viewer: its process id
    QStringList arguments;

    qint64 pid() const { return number; }
};

inline QList<StandinRun> readStandinLog(const QString &path)
{
    QList<StandinRun> runs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\x1f');
        StandinRun run;
        run.number = fields.first().toLongLong();
        for (qsizetype i = 1; i < fields.size(); ++i)
            run.arguments << QString::fromLocal8Bit(fields[i]);
        runs << run;
    }
    return runs;
}

// The tool stand-in these tests start: on Windows the console program of
// standin/quenlar_win.c, elsewhere standin/quenlar.cpp.
inline QString toolStandin()
{
#ifdef Q_OS_WIN
    return QStringLiteral(STANDIN_WINDOWS_TOOL);
#else
    return QStringLiteral(STANDIN_TOOL);
#endif
}

// What the tool stand-in recorded. The Windows one writes UTF-8 lines of the
// source size, the raw command line and then the arguments as the program
// parsed them; the command line goes to commandLine, the size to number.
struct ToolRun : StandinRun
{
    QString commandLine;
};
inline QList<ToolRun> readToolLog(const QString &path)
{
    QList<ToolRun> runs;
#ifdef Q_OS_WIN
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QStringList fields = QString::fromUtf8(line).split(QChar(0x1F));
        ToolRun run;
        run.number = fields.first().toLongLong();
        run.commandLine = fields.value(1);
        run.arguments = fields.mid(2);
        runs << run;
    }
#else
    for (const StandinRun &plain : readStandinLog(path)) {
        ToolRun run;
        run.number = plain.number;
        run.arguments = plain.arguments;
        runs << run;
    }
#endif
    return runs;
}

// Whether a process is still there (always true where that cannot be told).
inline bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0;
#else
    Q_UNUSED(pid);
    return true;
#endif
}
