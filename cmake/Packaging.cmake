# `cpack -G DEB` in a build folder: a Debian package of the installed layout (Install.cmake),
# installed below /usr, its dependencies worked out by dpkg-shlibdeps from the programs' shared
# libraries. Build it without tests and benchmarks:
#   cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
#         -DQUONDER_BUILD_BENCH=OFF && cmake --build build-deb && cd build-deb && cpack -G DEB
set(QUONDER_MAINTAINER "The Quonder developers <quonder@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME quonder)
set(CPACK_PACKAGE_VENDOR "The Quonder developers")
set(CPACK_PACKAGE_CONTACT ${QUONDER_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # quonder_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The default editor command and Help > Help hand files to the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# The summary (CPACK_PACKAGE_DESCRIPTION_SUMMARY) is the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quonder finds a string or a regular expression in every file of a folder
and lists every hit with its path, line, column and matched text. It replaces
the selected hits in their files (each file written atomically, with a backup
that Restore copies back), copies the hits' files, and opens a hit in an
editor at its line. Files are read in any of the charsets of its code set
table. The package holds the Qt window quonder and the command-line program
quonder-cli.")

include(CPack)
