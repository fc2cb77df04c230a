#!/bin/sh
# Stand-in for a terminal emulator, installed by the tests as
# x-terminal-emulator (or under a name $TERMINAL gives). When
# TERMINAL_STANDIN_LOG names a file, each run appends its whole argument
# vector to it: every argument followed by a NUL, then 0x1E. Then it runs the
# command that follows its options (those that begin with "-"), as a terminal
# does, but without a window.
if [ -n "${TERMINAL_STANDIN_LOG:-}" ]; then
    { printf '%s\0' "$@"; printf '\036'; } >>"$TERMINAL_STANDIN_LOG"
fi
while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do shift; done
exec "$@"
