# The Debian packages, made by CPack from what "cmake --install" puts in
# place, one package per install component: scripts/package.sh builds them,
# tests/install checks them.
#   pictaron-cli  (component cli)     the command line, the picture and codec
#                                     modules, its manual page: no Qt
#   pictaron      (component window)  the window, the caption module, desktop
#                                     entry, icons, metainfo, HTML manual and
#                                     manual page; on top of pictaron-cli
# A new module goes to one of them by the COMPONENT of its install().
#
# The dependencies are not listed by hand: dpkg-shlibdeps (package dpkg-dev)
# reads the libraries each package's programs and modules actually link and
# names the packages that hold them, with their minimum versions.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictaron)
set(CPACK_PACKAGE_VENDOR Orvanti)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvanti <pictaron@orvanti.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_COMPONENTS_ALL cli window)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME pictaron-cli)
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME pictaron)
# pictaron_<version>_<arch>.deb and pictaron-cli_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvanti.com/pictaron/")
# The window runs the command line's engine and shares its picture module:
# the same version of both, always.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "pictaron-cli (= ${PROJECT_VERSION})")

# Each package's description: its first line is the summary, the rest the
# long description, which CPack indents. CPack would put a package-wide
# summary before both unless that summary is its own default, which no
# package shows, since each has a description of its own.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_CLI_DESCRIPTION "${PROJECT_DESCRIPTION}, from the command line
pictaron-cli opens a picture (GIF, JPEG, TIFF, BMP, PCX, PNG, TGA, PCD ...),
crops, flips, rotates, resizes, blends, sharpens, blurs or buttonizes it, and
writes the result as a JPEG, a GIF of 2 to 256 colours, a PNG, a WebP or an
AVIF, in responsive widths and formats if asked, for scripts and web builds.
It needs no display. Captions need the pictaron package, which draws their
text.")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "${PROJECT_DESCRIPTION}
Pictaron opens a picture (GIF, JPEG, TIFF, BMP, PCX, PNG, TGA, PCD ...),
crops, flips, rotates, resizes, blends, sharpens, blurs, buttonizes or captions
it, and saves the result as a JPEG, a GIF of 2 to 256 colours, a PNG, a WebP or
an AVIF, showing original and result side by side with their download times.
This package holds the window and the captions' text drawing; the command line
is in pictaron-cli.")

set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian 12 ships Qt's X11 platform plugin in libqt6gui6, which shlibdeps
# finds; nothing else is loaded at run time without being linked.
# xdg-open shows the manual in the browser; the MIME database lets file
# managers offer Pictaron under "Open With". Both are the window's.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
