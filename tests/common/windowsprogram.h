// Launching Windows programs from the tests: program files made byte by byte
// for the kinds a header tells apart, and the environment a test sets for one
// case and gives back afterwards.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QtEndian>

// A Windows program's headers with one section of data: the DOS header, the
// PE signature at 0x40, the file header for `machine` (0x8664 x86-64, 0x14c
// i386, 0xAA64 ARM64) and an optional header with `magic` (0x20b 64-bit,
// 0x10b 32-bit). Not a program that runs; only its headers are right.
inline QByteArray windowsProgramHeaders(quint16 machine, quint16 magic)
{
    QByteArray bytes(0x400, '\0');
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, bytes.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, bytes.data() + at); };
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put16(2, 0x90);   // bytes on the last page
    put16(4, 1);      // pages
    put16(8, 4);      // header paragraphs
    put16(0x18, 0x40); // relocation table: a newer header follows
    put32(0x3C, 0x40);
    bytes.replace(0x40, 4, QByteArray("PE\0\0", 4));
    put16(0x44, machine);
    put16(0x46, 1);    // one section
    put16(0x54, 0xF0); // optional header size
    put16(0x58, magic);
    const int section = 0x58 + 0xF0;
    bytes.replace(section, 5, ".text");
    put32(section + 16, 0x200); // its data: 0x200 bytes at 0x200
    put32(section + 20, 0x200);
    return bytes;
}

// A small DOS program's header: 2 pages, a 32-byte header, no newer header.
inline QByteArray dosProgram()
{
    QByteArray bytes(1024, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    qToLittleEndian(quint16(2), bytes.data() + 4);
    qToLittleEndian(quint16(2), bytes.data() + 8);
    qToLittleEndian(quint16(0x1C), bytes.data() + 0x18);
    return bytes;
}

// Sets environment variables for one case and restores them when it ends.
class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;
    ~ScopedEnvironment()
    {
        for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
        }
    }
    void set(const char *name, const QByteArray &value)
    {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char *name)
    {
        remember(name);
        qunsetenv(name);
    }

private:
    void remember(const char *name)
    {
        if (!saved.contains(name))
            saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    }
    QHash<QByteArray, QByteArray> saved;
};
