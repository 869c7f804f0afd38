# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a built build directory
# (scripts/package makes a clean one). Its dependencies are the ones
# dpkg-shlibdeps finds for the programs, plus the fonts and the toolkit's
# Russian texts the windows need.
# Installing and packaging take what the build made; they do not build every
# test program first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME coursebook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "coursebook developers")
set(CPACK_PACKAGE_CONTACT "coursebook developers <maintainers@users.noreply.c-seed-ce3a5aee.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "electronic course book with graded tests")
set(CPACK_PACKAGE_DESCRIPTION "An electronic course book in Russian for a network administration course:
a student reads the course pages and takes multiple-choice tests graded
1 to 5, each passed test unlocking the next topic; the
administrator sees the grades and the test log and converts question sources
into test files. All records are files in the course folder, so a folder
copied from a Windows installation works unchanged. With a sample course and
the command-line tool coursebook-admin.")
# A Debian package lives in /usr whatever prefix the build was given; the
# programs find their sample relative to their own folder.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# QtSql loads the PostgreSQL driver at run time, which the library
# dependencies found from the programs cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-dejavu-core, fonts-urw-base35, qt6-translations-l10n, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, libglib2.0-bin, gvfs-backends")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-impress")
include(CPack)
