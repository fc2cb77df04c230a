# shellcheck shell=bash
# Shared by the fresh-machine checks (after common.sh): a brand-new Debian
# root as a new user's machine has it, made with debootstrap
# --variant=minbase and entered with chroot. The script runs in a mount
# namespace of its own, so whatever it mounts goes when it ends.

# The releases the checks know: Debian's number, and its name for debootstrap.
declare -A FRESH_CODENAMES=([12]=bookworm [13]=trixie)

# fresh_begin "$@": as root (sudo when needed), in a mount namespace of its
# own; call first, with the script's own arguments.
fresh_begin() {
    if [ "$(id -u)" -ne 0 ]; then
        exec sudo "$0" "$@"
    fi
    if [ -z "${DRAVOLT_FRESH_NAMESPACE:-}" ]; then
        export DRAVOLT_FRESH_NAMESPACE=1
        exec unshare --mount --propagation private "$0" "$@"
    fi
    ensure_packages "${FRESH_CHECK_PACKAGES[@]}"
}

# fresh_codename <12|13>: the release's name; fails for another number.
fresh_codename() {
    local name=${FRESH_CODENAMES[${1:-}]:-}
    [ -n "$name" ] || { echo "Debian ${1:-?} is not one of: ${!FRESH_CODENAMES[*]}" >&2; return 1; }
    echo "$name"
}

# FRESH_LOG: where each step's output goes. step <title> <command>...: runs
# it (each of its commands must succeed) and prints the time it took.
FRESH_LOG=/dev/null
step() {
    local title=$1 start rc
    shift
    start=$(date +%s%N)
    set +e
    (set -e; "$@") >>"$FRESH_LOG" 2>&1
    rc=$?
    set -e
    if [ $rc -ne 0 ]; then
        tail -n 60 "$FRESH_LOG" >&2
        echo "FAILED: $title (log: $FRESH_LOG)" >&2
        exit 1
    fi
    local ms=$((($(date +%s%N) - start) / 1000000))
    printf '%-70s %5d.%d s\n' "$title" $((ms / 1000)) $((ms % 1000 / 100))
}

# fresh_remove <work folder> <root>...: unmounts the roots, then removes the
# work folder; never deletes through a mount that is still there.
fresh_remove() {
    local work=$1 dir pid
    shift
    for dir in "$@"; do
        [ -d "$dir" ] || continue
        # Programs still running in the root (a daemon one of its programs
        # started) would keep its mounts busy.
        for pid in /proc/[0-9]*; do
            [ "$(readlink "$pid/root" 2>/dev/null)" != "$dir" ] || kill -9 "${pid#/proc/}" 2>/dev/null || true
        done
        # The root itself is no mount point: each mount under it, innermost first.
        awk -v dir="$dir/" 'index($2, dir) == 1 { print $2 }' /proc/mounts | sort -r |
            while read -r point; do umount "$point" 2>/dev/null || umount -l "$point"; done
    done
    if grep -q " $work/" /proc/mounts; then
        echo "Left $work in place: something is still mounted there." >&2
    else
        rm -rf "$work"
    fi
}

# make_root <release> <folder>: debootstrap of that release into the folder.
make_root() {
    debootstrap --variant=minbase "$(fresh_codename "$1")" "$2" "$(debian_mirror)"
}

# FRESH: the root that mount_root and in_root work in.
FRESH=
# mount_root: what programs in the root need of the running system: proc,
# sys, pseudo-terminals of its own, shared memory, FUSE (for the share that
# stops answering) and name resolution for apt.
mount_root() {
    mount -t proc proc "$FRESH/proc"
    mount -t sysfs -o ro sysfs "$FRESH/sys"
    mkdir -p "$FRESH/dev/pts" "$FRESH/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$FRESH/dev/pts"
    [ -e "$FRESH/dev/ptmx" ] || ln -s pts/ptmx "$FRESH/dev/ptmx"
    mount -t tmpfs -o mode=1777 tmpfs "$FRESH/dev/shm"
    if [ -c /dev/fuse ]; then
        touch "$FRESH/dev/fuse"
        mount --bind /dev/fuse "$FRESH/dev/fuse"
    fi
    cp /etc/resolv.conf "$FRESH/etc/resolv.conf"
}

# in_root <command>...: runs it in the root, as root, with a clean environment.
in_root() {
    chroot "$FRESH" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"
}

# copy_checkout <folder>: this checkout's files (as a clone of it would have
# them, with what is not committed yet) into the folder, beside a copy of the
# project's shared Windows folder when there is one.
copy_checkout() {
    local dest=$1
    mkdir -p "$dest/main"
    (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
        tar -c --null --ignore-failed-read -T -) | tar -x -C "$dest/main"
    if [ -d "$ROOT/../shared/windows" ]; then
        mkdir -p "$dest/shared"
        cp -a "$ROOT/../shared/windows" "$dest/shared/"
    fi
}
