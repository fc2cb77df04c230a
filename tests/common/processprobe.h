// What a soak test watches of its own process: resident memory, heap in use,
// threads and open handles. Linux only; -1 where the figure cannot be had.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#ifdef Q_OS_LINUX
#include <malloc.h>
#endif

namespace ProcessProbe {

// AddressSanitizer holds freed memory back on purpose, to catch its use after
// the free: resident memory then grows and tells nothing about leaks (which
// LeakSanitizer reports at exit instead).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool freedMemoryHeldBack = true;
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer)
inline constexpr bool freedMemoryHeldBack = true;
#  else
inline constexpr bool freedMemoryHeldBack = false;
#  endif
#else
inline constexpr bool freedMemoryHeldBack = false;
#endif

// Resident memory in kB.
inline qint64 residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4 : -1;
}

// Bytes handed out by malloc and not yet freed: unlike resident memory it
// shows a leak of a few objects. -1 where the allocator does not tell (under
// AddressSanitizer, or off glibc).
inline qint64 heapInUse()
{
#if defined(Q_OS_LINUX) && defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    if (freedMemoryHeldBack)
        return -1;
    const qint64 used = qint64(mallinfo2().uordblks);
    return used > 0 ? used : -1;
#else
    return -1;
#endif
}

// Threads of the process.
inline int threads()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    if (!tasks.exists())
        return -1;
    return int(tasks.entryList(QDir::NoDotAndDotDot | QDir::Dirs).size());
}

inline int openHandles()
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    if (!fds.exists())
        return -1;
    return int(fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

} // namespace ProcessProbe
