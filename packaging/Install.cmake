# Installing the game like a Debian game, and the Debian package made from that layout:
#   games/kavrel                 the launcher (packaging/launcher.cpp)
#   games/kavrel-replay          the headless replay, for operators and testers
#   games/kavrel-ranking         the operator's tool for the ranking and the record
#   lib/kavrel/kavrel            the game program, started by the launcher
#   share/kavrel/kavrel.bmp      the sprite sheet the launcher copies into the data directory
#   share/applications, share/icons/hicolor, share/man/man6, share/man/ja/man6, share/doc/kavrel
# The tree is relocatable: the launcher finds the program and the sheet relative to itself
# before it tries the install prefix. Linux only, other systems get their own packaging; and
# only with the tools, as the replay is installed and the icons are drawn by one of them.
if(NOT UNIX OR APPLE OR NOT KAVREL_TOOLS)
  return()
endif()

set(KAVREL_GAMES_DIR games)
set(KAVREL_PROGRAM_DIR lib/kavrel)
set(KAVREL_SHARE_DIR share/kavrel)
set(KAVREL_DOC_DIR share/doc/kavrel)
set(packaging_src ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

# The launcher: its paths to the program and the sheet, from where it lies and as built.
if(NOT TARGET PkgConfig::X11)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
endif()
add_executable(kavrel-launcher ${packaging_src}/launcher.cpp)
set_target_properties(kavrel-launcher PROPERTIES
  OUTPUT_NAME kavrel RUNTIME_OUTPUT_DIRECTORY ${packaging_out}/games)
# Its messages are in the operator's language (platform/Language.h), with the game's own words for
# a file failure (store/Reasons.h); once there is a display, in the game's box as well
# (platform/sdl/Box.h).
# In booth mode it runs the game under the supervisor (packaging/Supervision.h).
target_link_libraries(kavrel-launcher PRIVATE kavrel_supervision kavrel_reasons
  kavrel_platform_sdl PkgConfig::X11)
file(RELATIVE_PATH program_from_launcher /${KAVREL_GAMES_DIR} /${KAVREL_PROGRAM_DIR}/kavrel)
file(RELATIVE_PATH sheet_from_launcher /${KAVREL_GAMES_DIR} /${KAVREL_SHARE_DIR}/kavrel.bmp)
target_compile_definitions(kavrel-launcher PRIVATE
  KAVREL_VERSION="${PROJECT_VERSION}"
  KAVREL_PROGRAM_FROM_LAUNCHER="${program_from_launcher}"
  KAVREL_SHEET_FROM_LAUNCHER="${sheet_from_launcher}"
  KAVREL_PROGRAM_BUILT="${CMAKE_INSTALL_PREFIX}/${KAVREL_PROGRAM_DIR}/kavrel"
  KAVREL_SHEET_BUILT="${CMAKE_INSTALL_PREFIX}/${KAVREL_SHARE_DIR}/kavrel.bmp")

# The menu icon, drawn from the sprite sheet by our own tool in every hicolor size.
add_executable(kavrel-icon ${CMAKE_SOURCE_DIR}/tools/icon/main.cpp)
target_link_libraries(kavrel-icon PRIVATE kavrel_game kavrel_png)
set(icon_sizes 16 32 48 64 128 256)
set(icon_files)
foreach(size ${icon_sizes})
  list(APPEND icon_files ${packaging_out}/icons/${size}x${size}/apps/kavrel.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND kavrel-icon ${CMAKE_SOURCE_DIR}/assets/kavrel.bmp ${packaging_out}/icons
  DEPENDS kavrel-icon ${CMAKE_SOURCE_DIR}/assets/kavrel.bmp
  COMMENT "Drawing the menu icons from the sprite sheet")

# Manual pages and the changelog carry the project's version; installed compressed. The
# operator's pages are in English and in Japanese (ja/, UTF-8).
string(TIMESTAMP KAVREL_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP KAVREL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(compressed_files)
foreach(doc kavrel.6 kavrel-replay.6 changelog
    kavrel-ranking.6 ja/kavrel.6 ja/kavrel-ranking.6)
  configure_file(${packaging_src}/${doc}.in ${packaging_out}/${doc} @ONLY)
  add_custom_command(OUTPUT ${packaging_out}/${doc}.gz
    COMMAND gzip -9nkf ${packaging_out}/${doc}
    DEPENDS ${packaging_out}/${doc}
    COMMENT "Compressing ${doc}")
  list(APPEND compressed_files ${packaging_out}/${doc}.gz)
endforeach()

# Everything the install needs: `cmake --build B --target kavrel_dist`, then install or package.
add_custom_target(kavrel_dist ALL DEPENDS ${icon_files} ${compressed_files})
add_dependencies(kavrel_dist kavrel kavrel-replay kavrel-launcher)

install(TARGETS kavrel-launcher kavrel-replay RUNTIME DESTINATION ${KAVREL_GAMES_DIR})
install(TARGETS kavrel RUNTIME DESTINATION ${KAVREL_PROGRAM_DIR})
install(TARGETS kavrel-ranking RUNTIME DESTINATION ${KAVREL_GAMES_DIR})
add_dependencies(kavrel_dist kavrel-ranking)
install(FILES ${CMAKE_SOURCE_DIR}/assets/kavrel.bmp DESTINATION ${KAVREL_SHARE_DIR})
# The menu entry starts the launcher by its full path, as /usr/games is not on every session's
# PATH; the path is the prefix the tree is installed to, known only when installing.
install(CODE "
  set(launcher \"\${CMAKE_INSTALL_PREFIX}/${KAVREL_GAMES_DIR}/kavrel\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/kavrel.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${packaging_src}/kavrel.desktop.in\" \"\${entry}\" @ONLY)
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/kavrel-booth.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${packaging_src}/kavrel-booth.desktop.in\" \"\${entry}\" @ONLY)")
foreach(size ${icon_sizes})
  install(FILES ${packaging_out}/icons/${size}x${size}/apps/kavrel.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${packaging_out}/kavrel.6.gz ${packaging_out}/kavrel-replay.6.gz
  DESTINATION share/man/man6)
install(FILES ${packaging_out}/kavrel-ranking.6.gz DESTINATION share/man/man6)
install(FILES ${packaging_out}/ja/kavrel.6.gz ${packaging_out}/ja/kavrel-ranking.6.gz
  DESTINATION share/man/ja/man6)
install(FILES ${packaging_src}/copyright DESTINATION ${KAVREL_DOC_DIR})
install(FILES ${packaging_out}/changelog.gz DESTINATION ${KAVREL_DOC_DIR})

# The Debian package (scripts/package.sh): that layout under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_CONTACT "Kavrel developers <kavrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "festival booth game of finger speed and timing")
set(CPACK_PACKAGE_DESCRIPTION
"A full-screen arcade game for a booth at a school festival. A visitor winds
up a rubber-powered car by hammering two keys and launches it, times a bouncing
ball, gets a total score and a grade, spells a name and may enter the all-time
top five. The best results, the challenger count and the ranking are kept in
a data directory between runs.

The package holds the game, its launcher with a menu entry, kavrel-replay,
which plays the game headless from a script for testing, and kavrel-ranking,
with which the operator mends the ranking and the record.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps; the text face is needed at run
# time. SDL's start-up message box draws with the X core fonts; Debian's policy forbids depending
# on an X font package, so it is recommended (apt installs it along). Without it the box cannot
# be shown, and the game says so on standard error and starts anyway.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base")
include(CPack)
