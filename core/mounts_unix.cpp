// Which paths may keep their asker waiting, told from the mount table
// (Linux and the other systems that are not Windows).
#include "platform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QVarLengthArray>

#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

// The mounted file systems (/proc/self/mountinfo), read again when the kernel
// reports that the table changed.
class MountTable
{
public:
    QMutex mutex; // held while the table is read or used

    // Whether the file system mounted at `path` (absolute, without links) is
    // one of a local disk's kinds; `above`, that of the folder above it, when
    // nothing is mounted there.
    bool isLocalAt(const QByteArray &path, bool above) const { return points.value(path, above); }
    // Whether every file system mounted is local: then no path can lead
    // anywhere else.
    bool allLocal() const { return allAreLocal; }

    // Reads the table again when it has changed since it was last read.
    void refresh()
    {
        if (fd >= 0) {
            pollfd p{fd, POLLPRI, 0};
            if (::poll(&p, 1, 0) == 0)
                return;
            ::lseek(fd, 0, SEEK_SET);
        } else {
            fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return; // no table: every path counts as one that may stall
        }
        QByteArray table;
        char buffer[16384];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            table.append(buffer, n);
        points.clear();
        for (const QByteArray &line : table.split('\n')) {
            // "id parent major:minor root point options [optional...] - type source ..."
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
                continue;
            // The last of equal mount points is the one on top.
            points.insert(unescape(fields[4]), localKinds().contains(fields[dash + 1]));
        }
        allAreLocal = !points.isEmpty() && !points.values().contains(false);
    }

    // Blanks, tabs, newlines and backslashes in a mount point are written as \ooo.
    static QByteArray unescape(const QByteArray &field)
    {
        QByteArray out;
        for (qsizetype i = 0; i < field.size(); ++i) {
            if (field[i] == '\\' && i + 3 < field.size()) {
                out.append(char(field.mid(i + 1, 3).toInt(nullptr, 8)));
                i += 3;
            } else {
                out.append(field[i]);
            }
        }
        return out;
    }

    // The kinds of a disk inside the machine and of the kernel's own. Not
    // here, so counted as may-stall: network file systems (nfs, cifs, smb3,
    // 9p, ceph, afs, glusterfs, davfs), FUSE (fuse.*, fuseblk), autofs, the
    // kinds of removable media (vfat, exfat, ntfs, iso9660, udf) and any kind
    // not known.
    static const QSet<QByteArray> &localKinds()
    {
        static const QSet<QByteArray> kinds{
            "ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "jfs", "reiserfs", "zfs", "bcachefs", "nilfs2",
            "overlay", "tmpfs", "ramfs", "devtmpfs", "proc", "sysfs", "devpts", "mqueue", "cgroup", "cgroup2",
            "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs", "hugetlbfs", "efivarfs",
            "binfmt_misc", "squashfs", "erofs"};
        return kinds;
    }

private:
    int fd = -1;
    QHash<QByteArray, bool> points; // mount point: whether local
    bool allAreLocal = false;
};

} // namespace

bool mayStall(const QString &path)
{
    static MountTable table;
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    QMutexLocker lock(&table.mutex);
    table.refresh();
    if (table.allLocal())
        return false;
    QByteArray rest = QFile::encodeName(
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    // The path's folders one by one, links followed by hand, so that no
    // question reaches a file system before it is known to be local.
    QByteArray done; // resolved so far, without links; "" is the root
    QVarLengthArray<bool, 32> local{table.isLocalAt("/", false)}; // at the root and each folder of `done`
    int links = 0;
    for (qsizetype at = 0; at < rest.size();) {
        qsizetype end = rest.indexOf('/', at);
        if (end < 0)
            end = rest.size();
        const QByteArrayView name(rest.constData() + at, end - at);
        at = end + 1;
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            if (local.size() > 1) {
                local.removeLast();
                done.truncate(done.lastIndexOf('/'));
            }
            continue;
        }
        const qsizetype above = done.size();
        done.append('/').append(name);
        const bool here = table.isLocalAt(done, local.last());
        if (!here)
            return true;
        struct stat st;
        if (::lstat(done.constData(), &st) != 0)
            return false; // nothing there: the look-up answers at once
        if (!S_ISLNK(st.st_mode)) {
            local.append(here);
            continue;
        }
        if (++links > 40)
            return false; // a loop of links, which the look-up reports at once
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : PATH_MAX, '\0');
        const ssize_t n = ::readlink(done.constData(), target.data(), target.size());
        if (n < 0)
            return false;
        target.truncate(n);
        done.truncate(above);
        if (target.startsWith('/')) {
            done.clear();
            local.resize(1);
        }
        rest = target + '/' + rest.mid(qMin(at, rest.size()));
        at = 0;
    }
    return !local.last();
}

} // namespace Platform
