# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
#
# Installed like any desktop game: the program, its sounds, a launcher entry, the icon in the
# hicolor theme at every size desktops look for, the AppStream description, the manual page and
# the licence; `uninstall` takes all of it away again. With SKYVANE_DEBIAN the layout is the one
# Debian gives a game (/usr/games, /usr/share/games) and cpack makes its package.

include(GNUInstallDirs)
set(SKYVANE_ID org.skyvane.Skyvane)

option(SKYVANE_DEBIAN "Lay the install out as a Debian game, with the package's own files" OFF)
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

# The version and its day reach the metadata, the manual page and the changelog.
set(SKYVANE_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${SKYVANE_DATADIR})
execute_process(COMMAND date -u -d "${SKYVANE_RELEASE_DATE}" "+%a, %d %b %Y 00:00:00 +0000"
  OUTPUT_VARIABLE SKYVANE_RELEASE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CPACK_PACKAGE_CONTACT "The Skyvane developers <skyvane@users.noreply.skyvane.org>")
set(SKYVANE_DEB_VERSION ${PROJECT_VERSION}-1)
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
configure_file(packaging/debian/changelog.in changelog.Debian @ONLY)

# The manual page and the changelog go compressed, as Debian has them; -n keeps the bytes the
# same from build to build.
find_program(SKYVANE_GZIP gzip)
foreach(doc skyvane.6 changelog.Debian)
  add_custom_command(OUTPUT ${doc}.gz
    COMMAND ${SKYVANE_GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/${doc} > ${doc}.gz
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${doc})
endforeach()
add_custom_target(documents ALL DEPENDS skyvane.6.gz changelog.Debian.gz)

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
install(FILES packaging/debian/copyright DESTINATION ${SKYVANE_DOCDIR})
if(SKYVANE_DEBIAN)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${SKYVANE_DOCDIR})
  install(FILES packaging/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME skyvane)
endif()
# Binaries in a package carry no compiler notes (strip removes the symbols, not these).
if(SKYVANE_DEBIAN)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${SKYVANE_BINDIR}/skyvane\")
    endif()
  ")
endif()

# Takes away every file the last install put down, and the folders it made.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
    -DMADE=${CMAKE_BINARY_DIR}/install_dirs_made.txt -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/uninstall.cmake)

# cpack -G DEB, from a build configured with SKYVANE_DEBIAN (packaging/build-deb.sh): a Debian
# package, its dependencies read off the shared libraries it links.
set(CPACK_PACKAGE_NAME skyvane)
set(CPACK_PACKAGE_VENDOR "The Skyvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disaster-rescue helicopter simulation")
set(CPACK_PACKAGE_DESCRIPTION
  "A typhoon has flooded the country: fly a rescue helicopter between the\n\
base and the target and bring ten people to safety, two a trip, touching\n\
down gently before the fuel runs out. The game's texts are in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# SDL is opened at run time, so the shared-library scan cannot see it. The game plays without
# the Japanese fonts (its texts then show in whatever font is left).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-mixer-2.0-0 (>= 2.6.0)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_CURRENT_BINARY_DIR})
include(CPack)
