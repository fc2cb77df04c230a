#!/bin/sh
# Two changes to Debian's qt6-base 6.4.2 source, needed for a mingw-w64 build of the Windows platform plugin:
# 1. The +dfsg source lacks the Wintab headers (src/3rdparty/wintab): build the plugin without tablet support.
# 2. With -DFEATURE_opengl=OFF, qwindowswindow.cpp still uses OpenGL classes under QT_CONFIG(dynamicgl).
# usage: qtbase-mingw-patch.sh QTBASE_SOURCE_DIR
set -eu
w="$1/src/plugins/platforms/windows"
sed -i 's/QT_CONFIG(tabletevent)/0 \/* no Wintab headers in this source *\//' \
    "$w/qwindowscontext.cpp" "$w/qwindowspointerhandler.cpp" "$w/qwindowspointerhandler.h"
sed -i 's/^qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent$/qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION FALSE/' \
    "$w/CMakeLists.txt"
sed -i "s/^qt_internal_extend_target(QWindowsDirect2DIntegrationPlugin CONDITION QT_FEATURE_tabletevent$/qt_internal_extend_target(QWindowsDirect2DIntegrationPlugin CONDITION FALSE/" \
    "$1/src/plugins/platforms/direct2d/CMakeLists.txt"
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' "$w/qwindowswindow.cpp"
