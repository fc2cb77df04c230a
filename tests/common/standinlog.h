// Reading what the stand-ins recorded: one line per start, a number and then
// the arguments, separated by 0x1F (the tool stand-ins), or one record per
// start (the terminal stand-in).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>

// The non-empty records of a log, split at `separator`; none when there is no log.
inline QList<QByteArray> readRecords(const QString &path, char separator)
{
    QFile file(path);
    QList<QByteArray> records;
    if (file.open(QIODevice::ReadOnly))
        records = file.readAll().split(separator);
    records.removeAll(QByteArray());
    return records;
}

struct StandinRun
{
    qint64 number = 0; // steady-clock start in ns
    QStringList arguments;
};

inline QList<StandinRun> readStandinLog(const QString &path)
{
    QList<StandinRun> runs;
    for (const QByteArray &line : readRecords(path, '\n')) {
        QStringList fields = QString::fromLocal8Bit(line).split(QChar(0x1f));
        runs << StandinRun{fields.takeFirst().toLongLong(), fields};
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
    for (const QByteArray &line : readRecords(path, '\n')) {
        QStringList fields = QString::fromUtf8(line).split(QChar(0x1f));
        const qint64 size = fields.takeFirst().toLongLong();
        runs << WindowsStandinRun{size, fields.value(0), fields.mid(1)};
    }
    return runs;
}

// The argument vectors the terminal stand-in (standin/terminal.sh) recorded.
inline QList<QStringList> readTerminalStandinLog(const QString &path)
{
    QList<QStringList> runs;
    for (const QByteArray &record : readRecords(path, '\x1e')) {
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
    for (const WindowsStandinRun &windows : readWindowsStandinLog(path))
        runs << ToolRun{{windows.sourceSize, windows.arguments}, windows.commandLine};
#else
    for (const StandinRun &plain : readStandinLog(path))
        runs << ToolRun{plain, QString()};
#endif
    return runs;
}
