# `cmake --install`: the two programs, the desktop entry, the icon in the hicolor theme, the
# AppStream metainfo, the manual page and the HTML help page.
set(KESTRIX_HOMEPAGE_URL "https://kestrix.example.org" CACHE STRING
    "The project's home page (AppStream metainfo)")
set(KESTRIX_SCREENSHOT_URL "${KESTRIX_HOMEPAGE_URL}/docs" CACHE STRING
    "Where the README pictures start-page.png and messages-page.png are published")
set(KESTRIX_APP_ID "org.kestrix.kestrix")
set(data ${PROJECT_SOURCE_DIR}/data)

if(TARGET kestrix)
  install(TARGETS kestrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS kestrix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${data}/${KESTRIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${data}/${KESTRIX_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${KESTRIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${KESTRIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${data}/icons/${KESTRIX_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${data}/icons/${KESTRIX_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KESTRIX_APP_ID}.png)
endforeach()

install(FILES ${data}/kestrix-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data}/kestrix-help.html README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The build folder's window finds its help page beside itself, as an installed one does below.
configure_file(${data}/kestrix-help.html ${PROJECT_BINARY_DIR}/src/app/kestrix-help.html COPYONLY)
