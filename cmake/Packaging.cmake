# The Debian package, made by CPack from what "cmake --install" puts in
# place: scripts/package.sh builds it, tests/install checks it.
#
# The dependencies are not listed by hand: dpkg-shlibdeps (package dpkg-dev)
# reads the libraries the two programs and the picture module actually link
# and names the packages that hold them, with their minimum versions.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictaron)
set(CPACK_PACKAGE_VENDOR Orvanti)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Orvanti <pictaron@orvanti.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # pictaron_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvanti.com/pictaron/")
# The package's long description; CPack indents it under the summary.
set(CPACK_PACKAGE_DESCRIPTION "Pictaron opens a picture (GIF, JPEG, TIFF, BMP, PCX, PNG, TGA, PCD ...),
crops, flips, rotates, resizes, blends, sharpens, blurs, buttonizes or captions
it, and saves the result as a JPEG, a GIF of 2 to 256 colours, a PNG, a WebP or
an AVIF, showing original and result side by side with their download times.
pictaron-cli runs the same conversion from the command line.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian 12 ships Qt's X11 platform plugin in libqt6gui6, which shlibdeps
# finds; nothing else is loaded at run time without being linked.
# xdg-open shows the manual in the browser; the MIME database lets file
# managers offer Pictaron under "Open With".
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
