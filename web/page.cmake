# The page around the browser build, copied beside the program so that the folder is the whole
# site after every build: its files, the game's icons and the service worker that keeps it all
# for offline starts.
set(page_files index.html cave.css screen.js inputs.js runs.js board.js race.js page.js manifest.webmanifest)
foreach(file ${page_files})
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/web/${file} ${PROJECT_BINARY_DIR}/${file}
    DEPENDS ${PROJECT_SOURCE_DIR}/web/${file})
  list(APPEND page_outputs ${PROJECT_BINARY_DIR}/${file})
endforeach()

# The icons are drawn by tools/icon on the build machine: a small native build of this project
# that makes only that tool.
include(ExternalProject)
set(icon_build ${PROJECT_BINARY_DIR}/host-tools)
set(icon_dir ${icon_build}/icons/web)
# The page's name for each drawn icon: the iPhone's home-screen icon and the manifest's maskable
# one are the opaque squares, as those home screens cut their own shape.
set(page_icons
    cave-32.png icon-32.png
    cave-square-180.png icon-180.png
    cave-192.png icon-192.png
    cave-512.png icon-512.png
    cave-square-512.png icon-maskable-512.png)
set(drawn_icons)
while(page_icons)
  list(POP_FRONT page_icons drawn name)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${icon_dir}/${drawn} ${PROJECT_BINARY_DIR}/${name}
    DEPENDS ${icon_dir}/${drawn} cave_page_icons)
  list(APPEND drawn_icons ${icon_dir}/${drawn})
  list(APPEND page_outputs ${PROJECT_BINARY_DIR}/${name})
  list(APPEND site_files ${name})
endwhile()
ExternalProject_Add(cave_page_icons
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${icon_build}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCAVE_PROGRAM=OFF -DCAVE_ICON_TOOL=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target cave_web_icons
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${drawn_icons})

# The service worker names its cache after a hash of every file of the site, so that a new build
# replaces the whole set at once.
list(APPEND site_files ${page_files} cave.js cave.wasm)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${PROJECT_BINARY_DIR} "-DFILES=${site_files}"
          -DTEMPLATE=${PROJECT_SOURCE_DIR}/web/sw.js.in -DOUT=${PROJECT_BINARY_DIR}/sw.js
          -P ${PROJECT_SOURCE_DIR}/web/service_worker.cmake
  DEPENDS ${page_outputs} ${PROJECT_BINARY_DIR}/cave.js cave ${PROJECT_SOURCE_DIR}/web/sw.js.in
          ${PROJECT_SOURCE_DIR}/web/service_worker.cmake
  VERBATIM)
add_custom_target(cave_page ALL DEPENDS ${page_outputs} ${PROJECT_BINARY_DIR}/sw.js)
