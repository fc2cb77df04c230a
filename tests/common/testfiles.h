// Files laid out for a test, their folders made as needed: the bytes given,
// or a copy of another file (a stand-in program). Each returns the path and
// stops the test program when the file cannot be made. And the bytes of a
// TGA image.
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

// A TGA image: its 18-byte header and, stored as they are, its pixels (all
// black); by default one the tool takes: 60 x 60, 24-bit, uncompressed. Type
// 10 (RLE) gets one packet of black per pixel row instead.
inline QByteArray tgaImage(int type = 2, int bits = 24, int width = 60, int height = 60)
{
    QByteArray image(18, '\0');
    image[1] = char(type == 1 || type == 9 ? 1 : 0);
    image[2] = char(type);
    if (image[1]) {
        image[6] = 1; // 256 palette entries of 24 bits
        image[7] = 24;
    }
    image[12] = char(width & 0xff);
    image[13] = char(width >> 8);
    image[14] = char(height & 0xff);
    image[15] = char(height >> 8);
    image[16] = char(bits);
    if (image[1])
        image.append(256 * 3, '\0');
    if (type >= 9) {
        for (int row = 0; row < height; ++row)
            image.append(char(0x80 | (width - 1))).append((bits + 7) / 8, '\0');
    } else {
        image.append(qsizetype(width) * height * ((bits + 7) / 8), '\0');
    }
    return image;
}
