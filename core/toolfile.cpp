#include "toolfile.h"

#include <QFile>

namespace ToolFile {

namespace {

quint32 littleEndian(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// A PE program: the signature at `header`, then the file header, the optional
// header and the section table, all within what was read, and every section's
// data within the file.
Kind classifyPe(const QByteArray &head, qint64 fileSize, qsizetype header)
{
    const qsizetype optional = header + 24;
    if (optional > head.size())
        return Kind::DamagedWindows;
    const quint32 machine = littleEndian(head, header + 4, 2);
    const quint32 sections = littleEndian(head, header + 6, 2);
    const quint32 optionalSize = littleEndian(head, header + 20, 2);
    const qsizetype table = optional + optionalSize;
    if (sections == 0 || optionalSize < 2 || table + 40 * qsizetype(sections) > head.size())
        return Kind::DamagedWindows;
    for (quint32 i = 0; i < sections; ++i) {
        const qsizetype section = table + 40 * i;
        const qint64 size = littleEndian(head, section + 16, 4);
        const qint64 offset = littleEndian(head, section + 20, 4);
        if (size > 0 && offset + size > fileSize)
            return Kind::DamagedWindows;
    }
    const quint32 magic = littleEndian(head, optional, 2); // 0x10b: 32-bit, 0x20b: 64-bit
    if (machine == 0x8664)
        return magic == 0x20b ? Kind::Windows64 : Kind::DamagedWindows;
    if (machine == 0x14c)
        return magic == 0x10b ? Kind::Windows32 : Kind::DamagedWindows;
    return magic == 0x10b || magic == 0x20b ? Kind::WindowsOther : Kind::DamagedWindows;
}

} // namespace

Kind classify(const QByteArray &head, qint64 fileSize)
{
    if (head.startsWith("\x7f" "ELF") || head.startsWith("#!"))
        return Kind::Native;
    if (!head.startsWith("MZ"))
        return Kind::NotAProgram;
    // The DOS header: 28 bytes, its own size in paragraphs, the image size in pages.
    if (head.size() < 28)
        return Kind::DamagedWindows;
    const quint32 lastPageBytes = littleEndian(head, 2, 2);
    const quint32 pages = littleEndian(head, 4, 2);
    const quint32 headerParagraphs = littleEndian(head, 8, 2);
    const quint32 relocationsAt = littleEndian(head, 0x18, 2);
    // A relocation table at 0x40 or later marks a newer header, named at 0x3C.
    if (relocationsAt >= 0x40 && head.size() >= 64) {
        const qint64 header = littleEndian(head, 0x3C, 4);
        if (header < 64 || header + 4 > head.size())
            return Kind::DamagedWindows;
        const QByteArray signature = head.mid(header, 4);
        if (signature == QByteArray("PE\0\0", 4))
            return classifyPe(head, fileSize, header);
        // NE, LE, LX: 16-bit Windows and DOS extenders, which Wine on a
        // 64-bit system does not run either.
        if (signature.startsWith("NE") || signature.startsWith("LE") || signature.startsWith("LX"))
            return Kind::Dos;
        return Kind::DamagedWindows;
    }
    const qint64 image = qint64(pages) * 512 - (lastPageBytes ? 512 - lastPageBytes : 0);
    if (pages == 0 || headerParagraphs == 0 || qint64(headerParagraphs) * 16 > fileSize || image > fileSize)
        return Kind::DamagedWindows;
    return Kind::Dos;
}

Kind classifyFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::NotAProgram;
    return classify(file.read(64 * 1024), file.size());
}

} // namespace ToolFile
