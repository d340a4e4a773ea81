# What the package installs beside the programs (manual pages, AppStream
# metainfo, bash completion, copyright and changelog) and the Debian package
# itself: `cpack -G DEB` in the build folder.
include(GNUInstallDirs)

set(PACKSHELF_ID io.packshelf.PackShelf)
set(PACKSHELF_MAINTAINER "PackShelf maintainers <maintainers@packshelf.example.org>")
# The date of this release, for the Debian changelog (RFC 5322).
set(PACKSHELF_RELEASE_DATE "Mon, 07 Dec 2026 12:00:00 +0000")

# Manual pages and the changelog, compressed as Debian wants them: gzip -9,
# without a name or a time stamp.
find_program(PACKSHELF_GZIP gzip REQUIRED)
configure_file(cmake/changelog.in doc/changelog @ONLY)
configure_file(docs/man/packshelf.1 man/packshelf.1 COPYONLY)
configure_file(docs/man/packshelf-cli.1 man/packshelf-cli.1 COPYONLY)
set(packshelf_compressed)
foreach(file man/packshelf.1 man/packshelf-cli.1 doc/changelog)
    add_custom_command(OUTPUT ${file}.gz
        COMMAND ${PACKSHELF_GZIP} -9 -n -k -f ${file}
        DEPENDS ${CMAKE_BINARY_DIR}/${file}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR} VERBATIM)
    list(APPEND packshelf_compressed ${CMAKE_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(packshelf_compressed_docs ALL DEPENDS ${packshelf_compressed})

install(FILES ${CMAKE_BINARY_DIR}/man/packshelf.1.gz ${CMAKE_BINARY_DIR}/man/packshelf-cli.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/${PACKSHELF_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/completion/packshelf-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME packshelf-cli)
install(FILES resources/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/packshelf)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME packshelf)
set(CPACK_PACKAGE_VENDOR "PackShelf maintainers")
set(CPACK_PACKAGE_CONTACT ${PACKSHELF_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "install content packages from zip archives into a library")
set(CPACK_PACKAGE_DESCRIPTION
    "PackShelf installs content packages delivered as zip archives into a content
library. It reads every archive of a folder from its central directory,
without expanding anything, finds the package's Runtime and Data folders and
shows a verdict for each; archives it cannot settle are browsed and decided
by hand.

Each archive is installed as one verified unit, so that a failure leaves the
library as it was. The library remembers what every package wrote: conflicts
show before an install, and an uninstall gives back what was there.

The package holds the window (packshelf) and the command line (packshelf-cli),
which runs the same engine without a display and prints tables or JSON Lines.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PACKSHELF_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://packshelf.example.org)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps (libarchive13 among them, for 7z
# and RAR, named here too); the window also needs a Qt platform plugin,
# which no binary links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libarchive13")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-speech-speechd-plugin | qt6-speech-flite-plugin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
