// Reading what the stand-in tool recorded: one entry per run.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>

struct StandinRun
{
    qint64 startedNs = 0;    // steady clock at the tool's start
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
        run.startedNs = fields.first().toLongLong();
        for (qsizetype i = 1; i < fields.size(); ++i)
            run.arguments << QString::fromLocal8Bit(fields[i]);
        runs << run;
    }
    return runs;
}
