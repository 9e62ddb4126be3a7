# The Debian package: `cpack -G DEB` in the build folder makes
# talvessa_<version>_<arch>.deb from what `cmake --install` puts in place.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvessa)
set(CPACK_PACKAGE_VENDOR "The Talvessa developers")
set(CPACK_PACKAGE_CONTACT "The Talvessa developers <talvessa@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "A multiple-window chat client for IRC networks: a room list with the
server log, one window per room and per private conversation, colours and
emoticons, favourite rooms, buddies and an ignore list per account.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The libraries are found by dpkg-shlibdeps; the country flags of the room
# list are pictures from another package, read at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "famfamfam-flag-png")
include(CPack)
