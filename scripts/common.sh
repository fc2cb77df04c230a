# Shared by scripts/run and scripts/test: installs the Debian packages that are
# missing and builds Dravolt. Quiet when there is nothing to do.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${DRAVOLT_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc 2>/dev/null || echo 2)

# To build and run.
RUN_PACKAGES=(cmake make g++ qt6-base-dev qt6-webengine-dev qt6-tools-dev-tools
              fonts-liberation2 xvfb xauth)
# To run every test: a display server of the tests' own, assistive technology,
# window driving and screenshots, desktop-file checks, the Debian package's
# check; Wine, the cross compiler of the Windows stand-in tool, and the
# terminal the tool's window opens in; FUSE, for a share that stops answering.
TEST_PACKAGES=(xdotool imagemagick python3-pyatspi at-spi2-core dbus-x11
               desktop-file-utils appstream dpkg-dev lintian
               wine gcc-mingw-w64-x86-64 xterm fuse3 python3-fusepy)
# To build the Debian package (scripts/package) and try it on a fresh system
# (scripts/check-package-fresh).
PACKAGE_PACKAGES=(dpkg-dev lintian)
FRESH_CHECK_PACKAGES=(debootstrap)

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

# build_dravolt <build dir> [cmake options...]: configures (once) and builds.
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
    if ! cmake --build "$dir" -j "$JOBS" >"$dir/build.log" 2>&1; then
        # The report must not end the script (set -e, pipefail) when grep finds
        # nothing or head stops reading: the end of the log stands in then.
        if grep -q -E 'error|Error' "$dir/build.log"; then
            { grep -E -B2 -A8 'error|Error' "$dir/build.log" || true; } | head -n 80 >&2 || true
        else
            tail -n 40 "$dir/build.log" >&2 || true
        fi
        echo "Building failed (log: $dir/build.log)" >&2
        exit 1
    fi
}

# run_sanitized_tests: the tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build of their own (leaks are reported at
# exit). With the viewer program, so that Dravolt's side of the viewers is
# the product's, but without the tests that run the web engine: it trips
# AddressSanitizer inside its own code, whatever the viewer does.
SANITIZE_BUILD_DIR=${DRAVOLT_SANITIZE_BUILD_DIR:-$ROOT/build-asan}
run_sanitized_tests() {
    build_dravolt "$SANITIZE_BUILD_DIR" -DDRAVOLT_SANITIZE=ON
    echo "Tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
    ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1 \
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

# The web engine of the help viewer refuses to run as root with its sandbox on.
# Only for root, and only through the environment: the product never turns it off.
allow_root_web_engine() {
    if [ "$(id -u)" -eq 0 ]; then
        export QTWEBENGINE_DISABLE_SANDBOX=1
    fi
}
