# Where `cmake --install` puts things (GNUInstallDirs), decided before the sources are added so
# that the window can find its installed help page. Documentation goes under the package's
# lower-case name, as Debian keeps it, unless CMAKE_INSTALL_DOCDIR is given. (Qt's package
# files include GNUInstallDirs first, with the project's own spelling as the fallback.)
if("$CACHE{CMAKE_INSTALL_DOCDIR}" STREQUAL "")
  set(CMAKE_INSTALL_DOCDIR "share/doc/kestrix")
endif()
include(GNUInstallDirs)
set(KESTRIX_HELP_PAGE_INSTALLED "${CMAKE_INSTALL_FULL_DOCDIR}/kestrix-help.html")
file(RELATIVE_PATH KESTRIX_HELP_PAGE_RELATIVE "${CMAKE_INSTALL_FULL_BINDIR}"
     "${KESTRIX_HELP_PAGE_INSTALLED}")
