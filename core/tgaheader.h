// What a source image is, read from its TGA header, beside what Quenlar.exe
// takes: one 24-bit uncompressed true-colour image whose width and height are
// multiples of 60 pixels. No pixel is read: the image work is the tool's.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace TgaHeader {

enum class Kind {
    NotTga,       // no TGA header at all
    CutShort,     // too short for its header, or for the pixels the header announces
    TrueColour,   // type 2
    TrueColourRle,// type 10
    ColourMapped, // types 1 and 9
    Greyscale,    // types 3 and 11
};

struct Info
{
    Kind kind = Kind::NotTga;
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

// The header's reading of a file that begins with `head` (its first bytes:
// the 18-byte header and the image id, 18 + 255 are plenty) and is
// `fileSize` bytes long.
Info read(const QByteArray &head, qint64 fileSize);
// The same for a file on disk; `readable` false when it cannot be opened.
Info readFile(const QString &path, bool *readable, QString *error);

// What keeps Quenlar.exe from slicing such an image, one plain sentence
// each, naming the file by `name` and saying what mends it; empty for an
// image the tool takes.
QStringList problems(const Info &info, const QString &name);

} // namespace TgaHeader
