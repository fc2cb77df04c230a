# shellcheck shell=bash disable=SC2034 # the scripts that source this use its variables
# Shared by scripts/build-windows and scripts/test-windows (after common.sh):
# Qt for Windows, the cross build and the folder that runs on Windows.

WINDOWS_BUILD_DIR=${DRAVOLT_WINDOWS_BUILD_DIR:-$ROOT/build-windows}
WINDOWS_CACHE=${DRAVOLT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dravolt}
WINDOWS_QT_CACHE=$WINDOWS_CACHE/qt6-mingw
# The ready Qt for Windows, where the project's shared folder has one.
WINDOWS_QT_READY=${DRAVOLT_QT_WINDOWS_ARCHIVE:-$ROOT/../shared/windows/qt6.4.2-mingw64.tar.xz}

# To cross-build (Qt's host tools come from qt6-base-dev), to make the setup
# program and to run the result under Wine.
WINDOWS_PACKAGES=(cmake ninja-build qt6-base-dev g++-mingw-w64-x86-64-posix
                  gcc-mingw-w64-x86-64-posix mingw-w64-tools nsis wine wine64)
# To test it: a display of the tests' own, window driving, resource reading.
WINDOWS_TEST_PACKAGES=(xvfb xauth xdotool icoutils imagemagick)
# Only when Qt for Windows has to be built from Debian's source.
WINDOWS_QT_SOURCE_PACKAGES=(xz-utils debian-archive-keyring perl)

# stage_time <label> <start seconds>: one line with the time a stage took.
stage_time() {
    echo "  [time] $1: $(( $(date +%s) - $2 )) s"
}

# windows_qt_at_hand: true when Qt for Windows can be had without building it.
windows_qt_at_hand() {
    [ -n "${DRAVOLT_QT_WINDOWS:-}" ] || [ -f "$WINDOWS_QT_CACHE/.dravolt-ready" ] || [ -f "$WINDOWS_QT_READY" ]
}

# fetch_qtbase_source <work folder>: Debian's qt6-base 6.4.2 source (Debian
# 12's), unpacked into the folder as qtbase-everywhere-src-6.4.2.
fetch_qtbase_source() {
    ensure_packages "${WINDOWS_QT_SOURCE_PACKAGES[@]}"
    local work=$1 mirror orig
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    # The system's own mirror; the system's sources are left as they are.
    mirror=$(debian_mirror)
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" >"$work/sources.list"
    local apt=(apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
               -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
    (cd "$work" && "${apt[@]}" update >"$work/apt.log" 2>&1 &&
        "${apt[@]}" source --download-only qt6-base >>"$work/apt.log" 2>&1) || {
        cat "$work/apt.log" >&2; echo "Fetching the qt6-base source failed" >&2; exit 1; }
    orig=$(find "$work" -maxdepth 1 -name 'qt6-base_6.4.2*.orig.tar.xz' | first_lines 1)
    rm -rf "$work/qtbase-everywhere-src-6.4.2" "$work/build"
    tar -C "$work" -xJf "$orig"
}

# build_qtbase <work folder> <what> <install prefix> <cmake options>...:
# configures, builds and installs the unpacked source; ends the script with
# the log's end when a stage fails.
build_qtbase() {
    local work=$1 what=$2 prefix=$3
    shift 3
    cmake -G Ninja -S "$work/qtbase-everywhere-src-6.4.2" -B "$work/build" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF \
        "$@" >"$work/configure.log" 2>&1 || {
        tail -n 40 "$work/configure.log" >&2; echo "Configuring $what failed (log: $work/configure.log)" >&2; exit 1; }
    ninja -C "$work/build" -j "$JOBS" >"$work/build.log" 2>&1 ||
        report_build_failure "$work/build.log" "Building $what"
    rm -rf "$prefix"
    cmake --install "$work/build" >"$work/install.log" 2>&1
    touch "$prefix/.dravolt-ready"
}

# Qt's tools that the cross build runs on this machine (moc, uic, rcc) must
# be of the version of Qt for Windows, 6.4.2: the system's where it is that
# (Debian 12), else Qt 6.4.2 built for this machine into the cache once
# (Debian 13 has 6.8, whose moc writes code 6.4 cannot compile; about 20
# minutes on 2 cores). Sets WINDOWS_HOST_QT and WINDOWS_HOST_QT_CMAKE.
WINDOWS_HOST_QT_CACHE=$WINDOWS_CACHE/qt6-host-6.4.2
find_windows_host_qt() {
    local system=/usr/lib/x86_64-linux-gnu/cmake
    if grep -qs 'PACKAGE_VERSION "6\.4\.' "$system/Qt6Core/Qt6CoreConfigVersionImpl.cmake" \
            "$system/Qt6Core/Qt6CoreConfigVersion.cmake"; then
        WINDOWS_HOST_QT=/usr
        WINDOWS_HOST_QT_CMAKE=$system
        return
    fi
    if [ ! -f "$WINDOWS_HOST_QT_CACHE/.dravolt-ready" ]; then
        local start work=$WINDOWS_CACHE/qtbase-host-source
        start=$(date +%s)
        echo "Building Qt 6.4.2's tools for this machine from Debian's qt6-base source (once; about 20 minutes on 2 cores)"
        fetch_qtbase_source "$work"
        build_qtbase "$work" "Qt 6.4.2 for this machine" "$WINDOWS_HOST_QT_CACHE" \
            -DFEATURE_xcb=OFF -DFEATURE_wayland=OFF -DFEATURE_glib=OFF -DFEATURE_icu=OFF -DFEATURE_testlib=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
            -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_fontconfig=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_libudev=OFF
        rm -rf "$work"
        stage_time "Qt 6.4.2 for this machine" "$start"
    fi
    WINDOWS_HOST_QT=$WINDOWS_HOST_QT_CACHE
    WINDOWS_HOST_QT_CMAKE=$WINDOWS_HOST_QT_CACHE/lib/cmake
}

# Debian's qt6-base 6.4.2 built for x86_64-w64-mingw32 into the cache, with
# Qt 6.4.2's tools for this machine; about 35 minutes on 2 cores.
build_windows_qt_from_source() {
    local work=$WINDOWS_CACHE/qtbase-source
    find_windows_host_qt
    echo "Building Qt for Windows from Debian's qt6-base source (once; about 35 minutes on 2 cores)"
    fetch_qtbase_source "$work"
    "$ROOT/scripts/qtbase-mingw-patch.sh" "$work/qtbase-everywhere-src-6.4.2"
    build_qtbase "$work" "qtbase for Windows" "$WINDOWS_QT_CACHE" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
        -DQT_HOST_PATH="$WINDOWS_HOST_QT" -DQT_HOST_PATH_CMAKE_DIR="$WINDOWS_HOST_QT_CMAKE" \
        -DFEATURE_testlib=ON -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_freetype=OFF
    rm -rf "$work"
}

# find_windows_qt: sets WINDOWS_QT to a Qt 6 for x86_64-w64-mingw32:
# $DRAVOLT_QT_WINDOWS, else the cache, else the ready copy unpacked into the
# cache, else one built from source into the cache.
find_windows_qt() {
    local start
    start=$(date +%s)
    if [ -n "${DRAVOLT_QT_WINDOWS:-}" ]; then
        WINDOWS_QT=$DRAVOLT_QT_WINDOWS
        echo "Qt for Windows: $WINDOWS_QT (DRAVOLT_QT_WINDOWS)"
    elif [ -f "$WINDOWS_QT_CACHE/.dravolt-ready" ]; then
        WINDOWS_QT=$WINDOWS_QT_CACHE
        echo "Qt for Windows: $WINDOWS_QT (cached)"
    elif [ -f "$WINDOWS_QT_READY" ]; then
        rm -rf "$WINDOWS_QT_CACHE"
        mkdir -p "$WINDOWS_CACHE"
        tar -C "$WINDOWS_CACHE" -xJf "$WINDOWS_QT_READY"
        touch "$WINDOWS_QT_CACHE/.dravolt-ready"
        WINDOWS_QT=$WINDOWS_QT_CACHE
        echo "Qt for Windows: $WINDOWS_QT (unpacked from $WINDOWS_QT_READY)"
    else
        build_windows_qt_from_source
        WINDOWS_QT=$WINDOWS_QT_CACHE
        echo "Qt for Windows: $WINDOWS_QT (built from source)"
    fi
    if [ ! -f "$WINDOWS_QT/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        echo "$WINDOWS_QT holds no Qt 6 (lib/cmake/Qt6 is missing)" >&2
        exit 1
    fi
    stage_time "Qt for Windows" "$start"
}

# build_windows <target>...: configures the cross build and builds those
# targets.
build_windows() {
    local start dir=$WINDOWS_BUILD_DIR
    start=$(date +%s)
    find_windows_host_qt
    # Built afresh when Qt for Windows or its tools changed: the cache and the
    # code moc wrote are theirs.
    local qts="$WINDOWS_QT $WINDOWS_HOST_QT"
    [ "$(cat "$dir/.dravolt-qt" 2>/dev/null)" = "$qts" ] || rm -rf "$dir"
    mkdir -p "$dir"
    if ! cmake -S "$ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_PREFIX_PATH="$WINDOWS_QT" -DCMAKE_FIND_ROOT_PATH="$WINDOWS_QT" \
        -DQT_HOST_PATH="$WINDOWS_HOST_QT" -DQT_HOST_PATH_CMAKE_DIR="$WINDOWS_HOST_QT_CMAKE" \
        -DCMAKE_BUILD_TYPE=Release -DDRAVOLT_BUILD_BENCH=ON >"$dir/configure.log" 2>&1; then
        cat "$dir/configure.log" >&2
        echo "Configuring the Windows build failed (log: $dir/configure.log)" >&2
        exit 1
    fi
    echo "$qts" >"$dir/.dravolt-qt"
    # The version, the zip's and the setup program's names and the DLLs'
    # folders, as CMake gives them.
    # shellcheck source=/dev/null
    source "$dir/dravolt-windows.sh"
    if ! ninja -C "$dir" -j "$JOBS" "$@" >"$dir/build.log" 2>&1; then
        report_build_failure "$dir/build.log" "Building for Windows"
    fi
    stage_time "cross build ($*)" "$start"
}

# make_windows_folder: build-windows/Dravolt/ as it runs on a clean Windows
# (CMake's install, stripped), and its zip (CPack).
make_windows_folder() {
    local start dir=$WINDOWS_BUILD_DIR
    start=$(date +%s)
    rm -rf "$dir/Dravolt" "${dir:?}/$WINDOWS_ZIP"
    if ! { cmake --install "$dir" --prefix "$dir/Dravolt" --strip && (cd "$dir" && cpack -G ZIP); } \
        >"$dir/folder.log" 2>&1; then
        cat "$dir/folder.log" >&2
        echo "Making the folder and zip failed (log: $dir/folder.log)" >&2
        exit 1
    fi
    stage_time "folder and zip" "$start"
}

# nsis_string <text>: the text inside an NSIS string in double quotes.
nsis_string() {
    local text=${1//\$/\$\$}
    printf '%s' "${text//\"/\$\\\"}"
}

# windows_setup_files <folder> <file>: writes the NSIS macros that install
# exactly the files of that folder (DRAVOLT_INSTALL_FILES) and remove exactly
# them again, then their folders when empty (DRAVOLT_REMOVE_FILES), and their
# size in KiB (SIZE_KB), for packaging/windows/setup.nsi.
windows_setup_files() {
    local folder=$1 dir file sub
    {
        echo "; The files of $(nsis_string "$folder"), written by scripts/windows.sh."
        echo '!macro DRAVOLT_INSTALL_FILES'
        while read -r dir; do
            sub=${dir:+\\${dir//\//\\}}
            echo "    SetOutPath \"\$INSTDIR$(nsis_string "$sub")\""
            while read -r file; do
                echo "    File \"$(nsis_string "$folder/${dir:+$dir/}$file")\""
            done < <(find "$folder/$dir" -mindepth 1 -maxdepth 1 -type f -printf '%P\n' | sort)
        done < <(echo; find "$folder" -mindepth 1 -type d -printf '%P\n' | sort)
        echo '!macroend'
        echo '!macro DRAVOLT_REMOVE_FILES'
        while read -r file; do
            echo "    Delete \"\$INSTDIR\\$(nsis_string "${file//\//\\}")\""
        done < <(find "$folder" -type f -printf '%P\n' | sort)
        # The deepest first.
        while read -r dir; do
            echo "    RMDir \"\$INSTDIR\\$(nsis_string "${dir//\//\\}")\""
        done < <(find "$folder" -mindepth 1 -type d -printf '%P\n' | sort -r)
        echo '!macroend'
        echo "!define SIZE_KB $(du -sk --apparent-size "$folder" | cut -f1)"
    } >"$2"
}

# make_windows_setup <folder> <setup program>: the setup program that
# installs that folder.
make_windows_setup() {
    local start folder=$1 setup=$2
    local setup_dir=$WINDOWS_BUILD_DIR/setup name
    name=$(basename "$setup" .exe)
    start=$(date +%s)
    windows_setup_files "$folder" "$setup_dir/$name.files.nsh"
    rm -f "$setup"
    if ! makensis -V2 -DSETUP_DIR="$setup_dir" -DFILES="$setup_dir/$name.files.nsh" -DOUTFILE="$setup" \
        "$ROOT/packaging/windows/setup.nsi" >"$setup_dir/$name.log" 2>&1; then
        cat "$setup_dir/$name.log" >&2
        echo "Making the setup program failed (log: $setup_dir/$name.log)" >&2
        exit 1
    fi
    stage_time "setup program $(basename "$setup")" "$start"
}
