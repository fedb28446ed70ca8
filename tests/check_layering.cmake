# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
cmake_minimum_required(VERSION 3.25)
# The layers of the game depend only downwards:
#
#   app  ->  replay  ->  screens  ->  mission  ->  layouts  ->  platform
#   platform/qt, platform/web and platform/headless stand on platform; app may use them, and
#   replay the headless desktop, to play files without windows. platform knows no replay file.
#
# Every #include "..." of the game's own code must point at its own layer or one below it, and
# no layer but platform/qt and app includes a Qt header. Run with cmake -DROOT=<source> -P.

set(allowed_platform platform)
set(allowed_platform_headless platform platform/headless)
set(allowed_platform_qt platform platform/qt)
set(allowed_platform_web platform platform/web)
set(allowed_layouts platform layouts)
set(allowed_mission platform layouts mission)
set(allowed_screens platform layouts mission screens)
set(allowed_replay platform platform/headless layouts mission screens replay)
set(allowed_app platform platform/headless platform/qt platform/web layouts mission screens replay
  app)
set(qt_allowed platform/qt app)

set(failures 0)
foreach(layer platform platform/headless platform/qt platform/web layouts mission screens replay
    app)
  string(REPLACE "/" "_" key "${layer}")
  file(GLOB sources "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp")
  foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)/[^/\"]+\"")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target IN_LIST allowed_${key})
          file(RELATIVE_PATH shown "${ROOT}" "${source}")
          message(SEND_ERROR "${shown}: ${layer} may not include ${target}: ${line}")
          math(EXPR failures "${failures} + 1")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)" AND NOT layer IN_LIST qt_allowed)
        file(RELATIVE_PATH shown "${ROOT}" "${source}")
        message(SEND_ERROR "${shown}: ${layer} may not include a Qt header: ${line}")
        math(EXPR failures "${failures} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} includes point the wrong way")
endif()
message(STATUS "every include points down a layer")
