# shellcheck shell=bash disable=SC2034 # the scripts that source this use its variables
# Shared by every script (after `source .../common.sh`): installs the Debian
# packages that are missing, builds Dravolt, and the steps the scripts share.
# Quiet when there is nothing to do.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${DRAVOLT_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc 2>/dev/null || echo 2)

# To build and run.
RUN_PACKAGES=(cmake make g++ qt6-base-dev qt6-tools-dev-tools
              fonts-liberation2 xvfb xauth)
# To run every test: a display server of the tests' own, assistive technology,
# window driving and screenshots, desktop-file checks, the Debian package's
# check; Wine, the cross compiler of the Windows stand-in tool, and terminals
# the tool's window opens in (xterm, and the two that break the -e contract
# in the most ways); FUSE, for a share that stops answering.
TEST_PACKAGES=(xdotool imagemagick python3-pyatspi at-spi2-core dbus-x11
               desktop-file-utils appstream dpkg-dev lintian
               wine gcc-mingw-w64-x86-64 xterm qterminal terminology
               fuse3 python3-fusepy shellcheck)
# To build the Debian package (scripts/package) and try it on a fresh system
# (scripts/check-package-fresh).
PACKAGE_PACKAGES=(dpkg-dev lintian)
FRESH_CHECK_PACKAGES=(debootstrap git)

# ensure_packages <package>...: installs those that are not installed yet.
ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "These Debian packages are missing; install them as root: ${missing[*]}" >&2
            exit 1
        fi
        as_root=(sudo)
    fi
    echo "Installing Debian packages: ${missing[*]}"
    local log
    log=$(mktemp)
    if ! { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
           "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "Installing the packages failed." >&2
        exit 1
    fi
    rm -f "$log"
}

# build_dravolt <build dir> [cmake options...]: configures (once) and builds
# everything, or only the targets BUILD_TARGETS names.
BUILD_TARGETS=()
build_dravolt() {
    local dir=$1
    shift
    mkdir -p "$dir"
    # No -G: a new folder gets CMake's default generator (or $CMAKE_GENERATOR),
    # an existing one keeps the generator it was made with.
    if ! cmake -S "$ROOT" -B "$dir" "$@" >"$dir/configure.log" 2>&1; then
        cat "$dir/configure.log" >&2
        echo "Configuring failed (log: $dir/configure.log)" >&2
        exit 1
    fi
    local targets=() t
    for t in "${BUILD_TARGETS[@]}"; do targets+=(--target "$t"); done
    if ! cmake --build "$dir" -j "$JOBS" "${targets[@]}" >"$dir/build.log" 2>&1; then
        report_build_failure "$dir/build.log" "Building"
    fi
}

# report_build_failure <log> <what>: the errors of a failed build (or the end
# of its log when it names none), then where the log is; ends the script.
report_build_failure() {
    { grep -E -B2 -A8 'error|Error|FAILED' "$1" || tail -n 40 "$1" || true; } | first_lines 80 >&2
    echo "$2 failed (log: $1)" >&2
    exit 1
}

# first_lines <n>: the first n lines of its input, which it reads to the end:
# head would stop reading, and the writer's broken pipe (with pipefail) would
# end the script before its report is out.
first_lines() {
    local lines=()
    mapfile -t lines
    [ ${#lines[@]} -eq 0 ] || printf '%s\n' "${lines[@]:0:$1}"
}

# lint_scripts: Debian's shellcheck over every shell script of the project
# (by its name, *.sh, or its first line, #! a shell); fails on any finding.
lint_scripts() {
    local scripts=() file first
    while IFS= read -r -d '' file; do
        first=
        IFS= read -r first <"$file" || true
        if [[ $file == *.sh || $first =~ ^\#!.*(/|env\ )(ba)?sh$ ]]; then
            scripts+=("${file#"$ROOT"/}")
        fi
    done < <(find "$ROOT/.ci" "$ROOT/bench" "$ROOT/scripts" "$ROOT/tests" -type f -print0)
    (cd "$ROOT" && shellcheck -x "${scripts[@]}")
    echo "shellcheck: ${#scripts[@]} scripts clean"
}

# debian_mirror: the Debian mirror this machine's apt uses, else Debian's own.
debian_mirror() {
    local mirror
    mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 !~ /^\[/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)
    echo "${mirror:-http://deb.debian.org/debian}"
}

# run_sanitized_tests: the tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build of their own (leaks are reported at
# exit). That build asks the web host for the help pages first, so the web
# copy and its fall-back are tested too (against a loopback proxy).
SANITIZE_BUILD_DIR=${DRAVOLT_SANITIZE_BUILD_DIR:-$ROOT/build-asan}
run_sanitized_tests() {
    build_dravolt "$SANITIZE_BUILD_DIR" -DDRAVOLT_SANITIZE=ON -DDRAVOLT_HELP_FROM_WEB=ON
    echo "Tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
    ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS=suppressions=$ROOT/tests/lsan.supp \
        ctest --test-dir "$SANITIZE_BUILD_DIR" --output-on-failure -j "$JOBS"
}

# fake_user: HOME and XDG_CONFIG_HOME in a temporary folder (removed at exit)
# holding what a real user of Dravolt has: a saved location of a tool that
# exists. LANG German, as many users have it.
fake_user() {
    FAKE_HOME=$(mktemp -d "${TMPDIR:-/tmp}/dravolt-fake-user.XXXXXX")
    trap 'rm -rf "$FAKE_HOME"' EXIT
    mkdir -p "$FAKE_HOME/.config" "$FAKE_HOME/tools"
    : >"$FAKE_HOME/tools/quenlar.exe"
    printf '[Quenlar]\nLocation=%s\n' "$FAKE_HOME/tools/quenlar.exe" >"$FAKE_HOME/.config/dravolt.conf"
    export HOME=$FAKE_HOME XDG_CONFIG_HOME=$FAKE_HOME/.config LANG=de_DE.UTF-8
    unset LC_ALL
}
