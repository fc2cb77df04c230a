// Files laid out for a test, their folders made as needed: the bytes given,
// or a copy of another file (a stand-in program). Each returns the path and
// stops the test program when the file cannot be made.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

inline QString putFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QString copyFile(const QString &from, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (!QFile::copy(from, path))
        qFatal("cannot copy %s to %s", qPrintable(from), qPrintable(path));
    return path;
}
