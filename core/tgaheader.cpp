#include "tgaheader.h"

#include <QFile>

namespace TgaHeader {

namespace {

constexpr int HeaderSize = 18;
constexpr int Side = 60; // the tool cuts the image into squares of this side

int byteAt(const QByteArray &head, int at)
{
    return quint8(head.at(at));
}

int wordAt(const QByteArray &head, int at)
{
    return byteAt(head, at) | byteAt(head, at + 1) << 8;
}

// The nearest multiple of the side, at least one side.
int nearestSide(int length)
{
    return qMax(1, (length + Side / 2) / Side) * Side;
}

} // namespace

Info read(const QByteArray &head, qint64 fileSize)
{
    if (fileSize < HeaderSize || head.size() < HeaderSize)
        return {Kind::CutShort, 0, 0, 0};
    const int idLength = byteAt(head, 0);
    const int mapType = byteAt(head, 1);
    const int type = byteAt(head, 2);
    const int mapLength = wordAt(head, 5);
    const int mapEntryBits = byteAt(head, 7);
    const Info info{Kind::NotTga, byteAt(head, 16), wordAt(head, 12), wordAt(head, 14)};

    // TGA has no signature: a header whose every field holds a value that
    // TGA allows is taken for one.
    Kind kind;
    switch (type) {
    case 1: case 9: kind = Kind::ColourMapped; break;
    case 2: kind = Kind::TrueColour; break;
    case 10: kind = Kind::TrueColourRle; break;
    case 3: case 11: kind = Kind::Greyscale; break;
    default: return info;
    }
    const bool mapped = kind == Kind::ColourMapped;
    const int bits = info.bitsPerPixel;
    const bool bitsAllowed = mapped ? (bits == 8 || bits == 16)
                             : kind == Kind::Greyscale ? (bits == 8 || bits == 16)
                                                       : (bits == 15 || bits == 16 || bits == 24 || bits == 32);
    if (mapType > 1 || (mapped && mapType != 1) || !bitsAllowed || info.width == 0 || info.height == 0
        || (mapType == 1 && mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)
        || (byteAt(head, 17) & 0xC0) != 0)
        return info;

    // What lies before the pixels, and the pixels when they are stored as they
    // are (types below 9; 9 to 11 are run-length encoded).
    qint64 needed = HeaderSize + idLength + (mapType == 1 ? qint64(mapLength) * ((mapEntryBits + 7) / 8) : 0);
    if (type < 9)
        needed += qint64(info.width) * info.height * ((bits + 7) / 8);
    return {needed > fileSize ? Kind::CutShort : kind, info.bitsPerPixel, info.width, info.height};
}

Info readFile(const QString &path, bool *readable, QString *error)
{
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly);
    if (!*readable) {
        *error = file.errorString();
        return {};
    }
    return read(file.read(HeaderSize + 255), file.size());
}

QStringList problems(const Info &info, const QString &name)
{
    switch (info.kind) {
    case Kind::NotTga:
        return {QStringLiteral("%1 is not a TGA image: save it as a 24-bit uncompressed TGA").arg(name)};
    case Kind::CutShort:
        return {info.width == 0
                    ? QStringLiteral("%1 is too short to be a TGA image: save it again").arg(name)
                    : QStringLiteral("%1 is cut short: it ends before the pixels its header announces. "
                                     "Save it again").arg(name)};
    case Kind::ColourMapped:
        return {QStringLiteral("%1 is a colour-mapped image (it has a palette): save it as 24-bit true colour")
                    .arg(name)};
    case Kind::Greyscale:
        return {QStringLiteral("%1 is a greyscale image: save it as 24-bit colour").arg(name)};
    case Kind::TrueColour:
    case Kind::TrueColourRle:
        break;
    }
    QStringList found;
    if (info.kind == Kind::TrueColourRle)
        found << QStringLiteral("%1 is RLE-compressed: save it again without RLE compression").arg(name);
    if (info.bitsPerPixel == 32)
        found << QStringLiteral("%1 has 32 bits per pixel (an alpha channel): save it as 24-bit").arg(name);
    else if (info.bitsPerPixel != 24)
        found << QStringLiteral("%1 has %2 bits per pixel: save it as 24-bit")
                     .arg(name, QString::number(info.bitsPerPixel));
    if (info.width % Side != 0 || info.height % Side != 0)
        found << QStringLiteral("%1 is %2 x %3 pixels: width and height must be multiples of 60, "
                                "for example %4 x %5")
                     .arg(name, QString::number(info.width), QString::number(info.height),
                          QString::number(nearestSide(info.width)), QString::number(nearestSide(info.height)));
    return found;
}

} // namespace TgaHeader
