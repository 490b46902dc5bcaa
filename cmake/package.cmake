# A Debian package made by CPack (scripts/package.sh): kestrix_VERSION_ARCH.deb with the files
# of `cmake --install` under /usr. The shared libraries the programs link are found by
# dpkg-shlibdeps; the Qt platform plugins (loaded at run time, so no library finds them) and the
# desktop's opener for the help page are named by hand.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kestrix")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Kestrix developers")
set(CPACK_PACKAGE_CONTACT "The Kestrix developers <kestrix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screens a POP3 mailbox before the mail program fetches it")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrix for POP3 downloads only the header lines, size and unique id of each new message,\n"
    "classifies every message against a whitelist, the log of deleted mail and blacklist words,\n"
    "and deletes suspicious mail on the server. A window with a tray icon, and kestrix-cli for\n"
    "terminals and cron jobs.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "mail")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTRIX_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# Only what `cmake --install` puts under the prefix: no test or benchmark programs.
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
include(CPack)
