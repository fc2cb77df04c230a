// Reading what a stand-in recorded: one line per start, a number and then the
// arguments, separated by 0x1F. The tool stand-in (standin/quenlar.cpp) writes
// its start time.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>


struct StandinRun
{
    qint64 number = 0; // steady-clock start in ns
    QStringList arguments;
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

// A run of the Windows stand-in (standin/quenlar_win.c): the size of the
// source file as it opened it (-1: it could not), its raw command line and its
// parsed arguments.
struct WindowsStandinRun
{
    qint64 sourceSize = -1;
    QString commandLine;
    QStringList arguments;
};

inline QList<WindowsStandinRun> readWindowsStandinLog(const QString &path)
{
    QList<WindowsStandinRun> runs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList fields = QString::fromUtf8(line).split(QChar(0x1f));
        WindowsStandinRun run;
        run.sourceSize = fields.takeFirst().toLongLong();
        run.commandLine = fields.value(0);
        run.arguments = fields.mid(1);
        runs << run;
    }
    return runs;
}

// The argument vectors the terminal stand-in (standin/terminal.sh) recorded.
inline QList<QStringList> readTerminalStandinLog(const QString &path)
{
    QList<QStringList> runs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray &record : file.readAll().split('\x1e')) {
        if (record.isEmpty())
            continue;
        QStringList arguments;
        for (const QByteArray &argument : record.chopped(1).split('\0'))
            arguments << QString::fromLocal8Bit(argument);
        runs << arguments;
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

// What that stand-in recorded; on Windows the raw command line too, and the
// source size in place of the start time.
struct ToolRun : StandinRun
{
    QString commandLine;
};
inline QList<ToolRun> readToolLog(const QString &path)
{
    QList<ToolRun> runs;
#ifdef Q_OS_WIN
    for (const WindowsStandinRun &windows : readWindowsStandinLog(path)) {
        ToolRun run;
        run.number = windows.sourceSize;
        run.commandLine = windows.commandLine;
        run.arguments = windows.arguments;
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
