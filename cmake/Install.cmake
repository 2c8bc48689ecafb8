# The installed layout (GNUInstallDirs, relative to the prefix):
#   bin/quonder, bin/quonder-cli
#   share/quonder/CharCodeSet.ini, readme.txt     found from bin/ (core/settings/data_files.h)
#   share/applications/<app id>.desktop          the desktop entry
#   share/metainfo/<app id>.metainfo.xml         the software centres' description
#   share/icons/hicolor/*/apps/<app id>.{svg,png} the icon
#   share/man/man1/quonder.1, quonder-cli.1

install(TARGETS quonder-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/CharCodeSet.ini data/readme.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/quonder)

install(FILES data/${QUONDER_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The release's version and date come from the project.
string(TIMESTAMP QUONDER_RELEASE_DATE "%Y-%m-%d" UTC)
set(QUONDER_RELEASE_DATE ${QUONDER_RELEASE_DATE} CACHE STRING "Date of this release (metainfo)")
configure_file(data/${QUONDER_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/data/${QUONDER_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${QUONDER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES data/icons/hicolor/scalable/apps/${QUONDER_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${QUONDER_ICON_SIZES})
  install(FILES data/icons/hicolor/${size}x${size}/apps/${QUONDER_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

foreach(page quonder.1 quonder-cli.1)
  configure_file(data/man/${page}.in ${CMAKE_BINARY_DIR}/data/man/${page} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/data/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
