# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
#
# The game in a web page, built with emscripten (emcmake cmake): the same layers as the native
# game, the web desktop, and the page around them, written into ${CMAKE_BINARY_DIR}/site as a
# folder of static files any web server can host.

set(SKYVANE_SITE ${CMAKE_BINARY_DIR}/site)

# The game's handlers end the program by throwing; a message box waits by yielding to the
# browser (Asyncify), exceptions and all.
foreach(layer skyvane_platform skyvane_layouts skyvane_mission skyvane_screens skyvane_replay
    skyvane_web_keys)
  target_compile_options(${layer} PRIVATE -fexceptions)
endforeach()

skyvane_layer(skyvane_web platform/web/web_desktop.cpp)
target_compile_options(skyvane_web PRIVATE -fexceptions)
target_link_libraries(skyvane_web PRIVATE skyvane_web_keys skyvane_platform)

# The calls into the page are JavaScript the linker keeps only from the program's own objects.
add_executable(skyvane app/web_main.cpp platform/web/page.cpp)
target_include_directories(skyvane PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(skyvane PRIVATE -fexceptions)
target_link_libraries(skyvane PRIVATE skyvane_web skyvane_replay skyvane_screens skyvane_mission
  skyvane_layouts skyvane_web_keys skyvane_platform)
set_target_properties(skyvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SKYVANE_SITE} SUFFIX .js)
target_link_options(skyvane PRIVATE -fexceptions -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sINVOKE_RUN=0
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']"
  "-sEXPORTED_RUNTIME_METHODS=['callMain']")

# The page, its pictures as PNG, the sounds and the fonts.
file(GLOB SKYVANE_PAGE CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/page/*)
file(GLOB SKYVANE_XPMS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/pictures/*.xpm)
find_program(SKYVANE_CONVERT convert REQUIRED)
set(site_files)
foreach(f ${SKYVANE_PAGE})
  get_filename_component(name ${f} NAME)
  add_custom_command(OUTPUT ${SKYVANE_SITE}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${f} ${SKYVANE_SITE}/${name} DEPENDS ${f})
  list(APPEND site_files ${SKYVANE_SITE}/${name})
endforeach()
foreach(f ${SKYVANE_XPMS})
  get_filename_component(name ${f} NAME_WE)
  add_custom_command(OUTPUT ${SKYVANE_SITE}/pictures/${name}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SKYVANE_SITE}/pictures
    COMMAND ${SKYVANE_CONVERT} ${f} ${SKYVANE_SITE}/pictures/${name}.png DEPENDS ${f})
  list(APPEND site_files ${SKYVANE_SITE}/pictures/${name}.png)
endforeach()
# Each copy as FROM>TO, under assets/ and the site.
set(site_copies "pictures/prologue.png>pictures/prologue.png" "sounds/default.wav>sounds/default.wav")
foreach(language ${SKYVANE_LANGUAGES})
  list(APPEND site_copies "pictures/prologue.${language}.png>pictures/prologue.${language}.png")
endforeach()
foreach(wave ${SKYVANE_WAVES})
  get_filename_component(name ${wave} NAME)
  list(APPEND site_copies "${name}>sounds/${name}")
endforeach()
foreach(copy IN LISTS site_copies)
  string(REPLACE ">" ";" pair "${copy}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT ${SKYVANE_SITE}/${to}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/assets/${from} ${SKYVANE_SITE}/${to}
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/${from})
  list(APPEND site_files ${SKYVANE_SITE}/${to})
endforeach()
file(GLOB SKYVANE_TEXT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/layouts/*.cpp
  ${PROJECT_SOURCE_DIR}/mission/*.h ${PROJECT_SOURCE_DIR}/screens/* ${PROJECT_SOURCE_DIR}/po/*.po)
add_custom_command(OUTPUT ${SKYVANE_SITE}/fonts/ipagp.woff2 ${SKYVANE_SITE}/fonts/ipag.woff2
    ${SKYVANE_SITE}/fonts/ipam.woff2
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/web_fonts.sh ${PROJECT_SOURCE_DIR} ${SKYVANE_SITE}/fonts
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_fonts.sh ${SKYVANE_TEXT_SOURCES} ${SKYVANE_PAGE})
list(APPEND site_files ${SKYVANE_SITE}/fonts/ipagp.woff2)
# The icons an installed page shows, from the game's own, each pixel a square.
foreach(size 192 512)
  add_custom_command(OUTPUT ${SKYVANE_SITE}/icons/skyvane-${size}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SKYVANE_SITE}/icons
    COMMAND ${SKYVANE_CONVERT} ${PROJECT_SOURCE_DIR}/assets/pictures/side-left.xpm -background black
      -flatten -filter point -resize ${size}x${size} ${SKYVANE_SITE}/icons/skyvane-${size}.png
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/pictures/side-left.xpm)
  list(APPEND site_files ${SKYVANE_SITE}/icons/skyvane-${size}.png)
endforeach()
# A maskable one, which a launcher may cut to any shape: the picture within the middle four
# fifths, on black.
add_custom_command(OUTPUT ${SKYVANE_SITE}/icons/skyvane-maskable-512.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SKYVANE_SITE}/icons
  COMMAND ${SKYVANE_CONVERT} ${PROJECT_SOURCE_DIR}/assets/pictures/side-left.xpm -background black
    -flatten -filter point -resize 320x320 -gravity center -extent 512x512
    ${SKYVANE_SITE}/icons/skyvane-maskable-512.png
  DEPENDS ${PROJECT_SOURCE_DIR}/assets/pictures/side-left.xpm)
list(APPEND site_files ${SKYVANE_SITE}/icons/skyvane-maskable-512.png)
# The service worker that keeps this build for playing offline, named after all of its files.
find_program(SKYVANE_NODE NAMES node nodejs REQUIRED)
# The page's own words in every language, from the catalogs.
set(page_catalogs)
foreach(language ${SKYVANE_LANGUAGES})
  list(APPEND page_catalogs ${PROJECT_SOURCE_DIR}/po/${language}.po)
endforeach()
add_custom_command(OUTPUT ${SKYVANE_SITE}/texts.js
  COMMAND ${SKYVANE_NODE} ${PROJECT_SOURCE_DIR}/platform/web/make_texts.js ${SKYVANE_SITE}/texts.js
    ${page_catalogs}
  DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/make_texts.js ${page_catalogs})
list(APPEND site_files ${SKYVANE_SITE}/texts.js)
add_custom_command(OUTPUT ${SKYVANE_SITE}/sw.js
  COMMAND ${SKYVANE_NODE} ${PROJECT_SOURCE_DIR}/platform/web/make_sw.js ${SKYVANE_SITE}
    ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR}/platform/web/sw.js.in
  DEPENDS ${site_files} skyvane ${PROJECT_SOURCE_DIR}/platform/web/make_sw.js
    ${PROJECT_SOURCE_DIR}/platform/web/sw.js.in)
add_custom_target(site ALL DEPENDS ${site_files} ${SKYVANE_SITE}/sw.js)
