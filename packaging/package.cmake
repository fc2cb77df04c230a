# The packages CPack makes from the install rules: on Windows the zip of the
# folder (scripts/build-windows), on Linux the Debian package (scripts/package).
set(CPACK_PACKAGE_VERSION ${DRAVOLT_VERSION_TEXT})
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # <DRAVOLT_WINDOWS_PACKAGE>.zip holding the folder Dravolt\.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Dravolt)
    set(CPACK_PACKAGE_FILE_NAME ${DRAVOLT_WINDOWS_PACKAGE})
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_PACKAGING_INSTALL_PREFIX /Dravolt)
    include(CPack)
    return()
elseif(NOT UNIX OR APPLE)
    return()
endif()

# dravolt_<version>_<arch>.deb (the version with its release, DRAVOLT_DEB_VERSION),
# Depends from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_VERSION ${DRAVOLT_DEB_VERSION})
set(CPACK_PACKAGE_NAME dravolt)
set(CPACK_PACKAGE_CONTACT "Dravolt developers <dravolt@dravolt.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop front end for the Quenlar.exe texture slicer")
set(CPACK_PACKAGE_DESCRIPTION
    "Dravolt collects the arguments of Quenlar.exe, a command-line tool that slices
a 24-bit uncompressed TGA image into 64x64 textures: the source file, a base
file name, a start index and three wrap switches. It checks them, shows the
arguments as they are typed and starts the tool with them. It remembers where
the tool is and opens its help pages in a small viewer of its own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${DRAVOLT_WEB_HOST}/kvrg/quenlar/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform
# plugin (without it no window opens) and the font the layouts are drawn for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
include(CPack)
