# Where `cmake --install` puts things (GNUInstallDirs), decided before the sources are added so
# that the window can find its installed help page. Debian keeps documentation under the
# package's lower-case name.
set(CMAKE_INSTALL_DOCDIR "share/doc/kestrix" CACHE PATH "Documentation folder (DATAROOTDIR/doc/kestrix)")
include(GNUInstallDirs)
set(KESTRIX_HELP_PAGE_INSTALLED "${CMAKE_INSTALL_FULL_DOCDIR}/kestrix-help.html")
file(RELATIVE_PATH KESTRIX_HELP_PAGE_RELATIVE "${CMAKE_INSTALL_FULL_BINDIR}"
     "${KESTRIX_HELP_PAGE_INSTALLED}")
