#!/usr/bin/python3
"""A share that stops answering: a FUSE file system that shows a folder's
files, read-only, and whose every look-up sleeps while a control file exists,
as a network drive whose server has gone to sleep does. Nothing is cached by
the kernel, so each look-up reaches it.

    stallfs.py <mount point> <folder shown> <control file> [<seconds per look-up>]

Runs until it is unmounted (fusermount -u <mount point>) or ended.
"""
import errno
import os
import sys
import time

try:
    from fusepy import FUSE, FuseOSError, Operations  # Debian's python3-fusepy
except ImportError:
    from fuse import FUSE, FuseOSError, Operations


class StallFS(Operations):
    def __init__(self, shown, control, seconds):
        self.shown, self.control, self.seconds = shown, control, seconds

    def _real(self, path):
        if os.path.exists(self.control):
            time.sleep(self.seconds)
        return os.path.join(self.shown, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._real(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        return {key: getattr(st, key) for key in ("st_mode", "st_size", "st_nlink", "st_uid", "st_gid",
                                                   "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._real(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)


if __name__ == "__main__":
    mount_point, shown, control = sys.argv[1:4]
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 3.0
    FUSE(StallFS(os.path.abspath(shown), os.path.abspath(control), seconds), mount_point,
         foreground=True, ro=True, entry_timeout=0, attr_timeout=0, negative_timeout=0)
