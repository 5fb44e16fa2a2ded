# Lays Quendar out as a desktop program: the games in <prefix>/games, the data directory
# <prefix>/share/quendar (word lists, sounds, pictures) that they find from there at run
# time, a desktop entry with actions for the graded lists, icons, AppStream metainfo,
# compressed man pages and the Debian copyright and changelog; and a .deb through CPack.
install(FILES
  ${PROJECT_SOURCE_DIR}/assets/jyukugo.dat
  ${PROJECT_SOURCE_DIR}/assets/jyukugo-elementary.dat
  ${PROJECT_SOURCE_DIR}/assets/jyukugo-joyo.dat
  ${PROJECT_SOURCE_DIR}/assets/kanji.tsv
  ${PROJECT_SOURCE_DIR}/assets/seikai2.wav
  ${PROJECT_SOURCE_DIR}/assets/matigai.wav
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quendar)
install(FILES ${PROJECT_SOURCE_DIR}/assets/voice/readings.opus
              ${PROJECT_SOURCE_DIR}/assets/voice/readings.tsv
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quendar/voice)

# The entry starts the game by its full path, worked out when installing, so that it also
# works from a prefix whose games directory is not on PATH (cmake --install --prefix ...).
set(QUENDAR_DESKTOP_FILE io.github.quendar.Quendar.desktop)
install(CODE "
  set(game \"\${CMAKE_INSTALL_PREFIX}/${QUENDAR_GAMESDIR}/quendar\")
  if(game MATCHES \"[ \t]\")
    message(FATAL_ERROR \"the desktop entry cannot name a game under \${game}\")
  endif()
  file(READ \"${PROJECT_SOURCE_DIR}/assets/desktop/${QUENDAR_DESKTOP_FILE}\" entry)
  string(REPLACE \"@QUENDAR_GAME@\" \"\${game}\" entry \"\${entry}\")
  file(WRITE \"${PROJECT_BINARY_DIR}/${QUENDAR_DESKTOP_FILE}\" \"\${entry}\")
")
install(FILES ${PROJECT_BINARY_DIR}/${QUENDAR_DESKTOP_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/io.github.quendar.Quendar.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48x48 128x128 256x256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/icons/${size}/quendar.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/desktop/icons/scalable/quendar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages and the changelog go out compressed, without a time stamp in the gzip header,
# so that the package is the same from build to build.
set(compressed)
foreach(source desktop/quendar.6 desktop/quendar-sim.6 desktop/quendar-check-list.6
               desktop/quendar-progress.6 debian/changelog)
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "changelog")
    set(out ${PROJECT_BINARY_DIR}/doc/changelog.gz)
  else()
    set(out ${PROJECT_BINARY_DIR}/man/${name}.gz)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man ${PROJECT_BINARY_DIR}/doc
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/assets/${source} > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/${source} VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(quendar_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${PROJECT_BINARY_DIR}/man/quendar.6.gz ${PROJECT_BINARY_DIR}/man/quendar-sim.6.gz
              ${PROJECT_BINARY_DIR}/man/quendar-check-list.6.gz
              ${PROJECT_BINARY_DIR}/man/quendar-progress.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/assets/debian/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
              ${PROJECT_SOURCE_DIR}/assets/WORDLISTS.md ${PROJECT_SOURCE_DIR}/assets/VOICE.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendar)
set(CPACK_PACKAGE_VENDOR "Quendar developers")
set(CPACK_PACKAGE_CONTACT "Quendar developers <quendar@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "game for practising two-kanji compounds")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quendar is a small game for practising Japanese compounds of two kanji
(jukugo). Each round deals eight compounds: their first characters creep
down from the top of the window and their second characters wait in a row
along the bottom. Fire the character that completes the highlighted
compound with the arrow keys or a click; a right answer scores by a cycling
bonus gauge, a wrong one costs points.

It ships three word lists (2000 everyday compounds, compounds of kanji
taught in elementary school, and compounds of all Jōyō kanji) and plays
any list of your own; quendar-check-list checks a list before play. It
keeps a history of what was asked and how it went, schedules each compound
for review, and plays practice lists of what is due; quendar-progress
shows the schedule.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-mincho | fonts-japanese-mincho, fonts-ipafont-gothic | fonts-japanese-gothic, fonts-dejavu-core")
# The review's kanji card numbers each kanji's strokes with this face; without it the card
# shows the kanji and their meanings only.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-kanjistrokeorders")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Nothing in the tree depends on the configured prefix any more, so a package is always a
# system one.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
