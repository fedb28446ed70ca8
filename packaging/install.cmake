# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
#
# Installed like any desktop game: the program, its sounds, a launcher entry, the icon in the
# hicolor theme at every size desktops look for, the AppStream description, the manual page and
# the licence; `uninstall` takes all of it away again. With SKYVANE_DEBIAN the layout is the one
# Debian gives a game (/usr/games, /usr/share/games), as debian/rules builds it.

include(GNUInstallDirs)
set(SKYVANE_ID org.skyvane.Skyvane)

option(SKYVANE_DEBIAN "Lay the install out as a Debian game" OFF)
if(SKYVANE_DEBIAN)
  set(SKYVANE_BINDIR games)
  set(SKYVANE_DATADIR ${CMAKE_INSTALL_DATADIR}/games/skyvane)
else()
  set(SKYVANE_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(SKYVANE_DATADIR ${CMAKE_INSTALL_DATADIR}/skyvane)
endif()
set(SKYVANE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/skyvane)

# Where an installed game finds its wave files, relative to the program, so the install can move.
file(RELATIVE_PATH SKYVANE_DATA_FROM_BIN ${CMAKE_INSTALL_PREFIX}/${SKYVANE_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${SKYVANE_DATADIR})
target_compile_definitions(skyvane PRIVATE SKYVANE_DATA_FROM_BIN="${SKYVANE_DATA_FROM_BIN}"
  SKYVANE_VERSION="${PROJECT_VERSION}")

# The version and its day reach the metadata and the manual page.
set(SKYVANE_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${SKYVANE_DATADIR})
# Debian's PATH has /usr/games for users but not for root: its launcher names the program in full.
if(SKYVANE_DEBIAN)
  set(SKYVANE_EXEC ${CMAKE_INSTALL_PREFIX}/${SKYVANE_BINDIR}/skyvane)
else()
  set(SKYVANE_EXEC skyvane)
endif()
# The languages, from the one list: the manual page names them, and the launcher has an action
# for each, named by its catalog (context "launcher": the Japanese name, and its own).
string(REPLACE ";" ", " SKYVANE_LANGUAGE_LIST "${SKYVANE_LANGUAGES}")
set(SKYVANE_LANGUAGE_ACTIONS "")
set(SKYVANE_LANGUAGE_ACTION_IDS "")
foreach(language ${SKYVANE_LANGUAGES})
  file(READ po/${language}.po po)
  if(NOT po MATCHES "msgctxt \"launcher\"\nmsgid \"([^\"]+)\"\nmsgstr \"([^\"]+)\"")
    message(FATAL_ERROR "po/${language}.po: no entry of context \"launcher\" naming its action")
  endif()
  string(APPEND SKYVANE_LANGUAGE_ACTION_IDS "language-${language};")
  string(APPEND SKYVANE_LANGUAGE_ACTIONS "\n[Desktop Action language-${language}]\nName=${CMAKE_MATCH_2}\n"
    "Name[ja]=${CMAKE_MATCH_1}\nName[${language}]=${CMAKE_MATCH_2}\n"
    "Exec=${SKYVANE_EXEC} --language ${language}\n")
endforeach()
configure_file(packaging/${SKYVANE_ID}.desktop.in ${SKYVANE_ID}.desktop @ONLY)
configure_file(packaging/${SKYVANE_ID}.metainfo.xml.in ${SKYVANE_ID}.metainfo.xml @ONLY)
configure_file(packaging/skyvane.6.in skyvane.6 @ONLY)

# The manual page and the changelog go compressed, as Debian has them; -n keeps the bytes the
# same from build to build.
find_program(SKYVANE_GZIP gzip)
add_custom_command(OUTPUT skyvane.6.gz
  COMMAND ${SKYVANE_GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/skyvane.6 > skyvane.6.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/skyvane.6)
add_custom_target(documents ALL DEPENDS skyvane.6.gz)

# Before anything is copied: which of the folders the install needs do not exist yet, so that
# uninstall takes away just those.
set(SKYVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(SKYVANE_INSTALL_DIRS ${SKYVANE_BINDIR} ${SKYVANE_DATADIR} ${SKYVANE_DOCDIR}
  ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo
  ${CMAKE_INSTALL_MANDIR}/man6 ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${SKYVANE_ICON_SIZES})
  list(APPEND SKYVANE_INSTALL_DIRS ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(CODE "
  set(made)
  foreach(dir ${SKYVANE_INSTALL_DIRS})
    set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${dir}\")
    while(NOT EXISTS \"\${path}\" AND NOT path STREQUAL \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
      list(APPEND made \"\${path}\")
      get_filename_component(path \"\${path}\" DIRECTORY)
    endwhile()
  endforeach()
  if(EXISTS \"${CMAKE_BINARY_DIR}/install_dirs_made.txt\")
    file(STRINGS \"${CMAKE_BINARY_DIR}/install_dirs_made.txt\" before)
    list(APPEND made \${before})
  endif()
  list(REMOVE_DUPLICATES made)
  string(REPLACE \";\" \"\\n\" made \"\${made}\")
  file(WRITE \"${CMAKE_BINARY_DIR}/install_dirs_made.txt\" \"\${made}\\n\")
")

install(TARGETS skyvane RUNTIME DESTINATION ${SKYVANE_BINDIR})
install(FILES ${SKYVANE_WAVES} DESTINATION ${SKYVANE_DATADIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${SKYVANE_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${SKYVANE_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${SKYVANE_ICON_SIZES})
  install(FILES assets/icons/${size}x${size}/${SKYVANE_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES assets/icons/scalable/${SKYVANE_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/skyvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# The licence; a Debian package has it from debian/copyright, where dh puts it.
if(NOT SKYVANE_DEBIAN)
  install(FILES debian/copyright DESTINATION ${SKYVANE_DOCDIR})
endif()

# Takes away every file the last install put down, and the folders it made.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
    -DMADE=${CMAKE_BINARY_DIR}/install_dirs_made.txt -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/uninstall.cmake)
