# Lays Quendar out as a desktop program: the data directory (word lists, sounds), a
# .desktop entry whose working directory is that data directory (the game reads its
# files from the working directory), icons, AppStream metainfo and man pages; and a .deb.
set(QUENDAR_DATADIR ${CMAKE_INSTALL_FULL_DATADIR}/quendar)

install(FILES
  ${PROJECT_SOURCE_DIR}/assets/jyukugo.dat
  ${PROJECT_SOURCE_DIR}/assets/jyukugo-elementary.dat
  ${PROJECT_SOURCE_DIR}/assets/jyukugo-joyo.dat
  ${PROJECT_SOURCE_DIR}/assets/seikai2.wav
  ${PROJECT_SOURCE_DIR}/assets/matigai.wav
  ${PROJECT_SOURCE_DIR}/assets/WORDLISTS.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quendar)

configure_file(${PROJECT_SOURCE_DIR}/assets/desktop/io.github.quendar.Quendar.desktop
               ${PROJECT_BINARY_DIR}/io.github.quendar.Quendar.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/io.github.quendar.Quendar.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/io.github.quendar.Quendar.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48x48 128x128 256x256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/icons/${size}/quendar.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/icons/scalable/quendar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/quendar.6
              ${PROJECT_SOURCE_DIR}/assets/desktop/quendar-check-list.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendar)
set(CPACK_PACKAGE_VENDOR "Quendar developers")
set(CPACK_PACKAGE_CONTACT "Quendar developers <quendar@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "game for practising two-kanji compounds")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The .desktop entry names the data directory of the configured prefix, so the package
# installs there too (configure with --install-prefix /usr for a system package).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
