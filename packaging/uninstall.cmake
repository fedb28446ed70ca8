# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
#
# Removes every file install_manifest.txt lists, then each folder the install made, deepest
# first, if nothing else has come to live in it. Run with
# cmake -DMANIFEST=... -DMADE=... -P uninstall.cmake

if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "nothing to uninstall: ${MANIFEST} is missing (install first)")
endif()
file(STRINGS "${MANIFEST}" files)
foreach(f ${files})
  # The manifest holds the paths as written, under DESTDIR if there was one.
  if(EXISTS "${f}" OR IS_SYMLINK "${f}")
    file(REMOVE "${f}")
    message(STATUS "removed ${f}")
  endif()
endforeach()
if(EXISTS "${MADE}")
  file(STRINGS "${MADE}" folders)
  # Deepest first: a longer path is never the parent of a shorter one.
  list(SORT folders COMPARE STRING ORDER DESCENDING)
  foreach(d ${folders})
    if(IS_DIRECTORY "${d}")
      file(GLOB left "${d}/*" "${d}/.*")
      if(NOT left)
        execute_process(COMMAND ${CMAKE_COMMAND} -E remove_directory "${d}")
        message(STATUS "removed ${d}/")
      endif()
    endif()
  endforeach()
  file(REMOVE "${MADE}")
endif()
