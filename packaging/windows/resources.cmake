# cave.exe's resources: icon 1, version information and the application manifest, compiled by
# windres. The icon is drawn by tools/icon, which runs on the build machine: a small native
# build of this same project makes it.
enable_language(RC)
include(ExternalProject)

set(host_build ${PROJECT_BINARY_DIR}/host-tools)
set(CAVE_ICON_DIR ${host_build}/icons)
ExternalProject_Add(cave_host_icons
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_build}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target cave_icons
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CAVE_ICON_DIR}/cave.ico)

# Windows numbers versions in four parts.
set(quad ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
         ${PROJECT_VERSION_TWEAK})
list(TRANSFORM quad REPLACE "^$" "0")
list(JOIN quad "." CAVE_VERSION_QUAD)
list(JOIN quad "," CAVE_VERSION_COMMAS)

set(dir ${CMAKE_CURRENT_LIST_DIR})
configure_file(${dir}/cave.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/cave.manifest @ONLY)
configure_file(${dir}/cave.rc.in ${CMAKE_CURRENT_BINARY_DIR}/cave.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/cave.rc PROPERTIES OBJECT_DEPENDS
  "${CAVE_ICON_DIR}/cave.ico;${CMAKE_CURRENT_BINARY_DIR}/cave.manifest")
target_sources(cave PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/cave.rc)
add_dependencies(cave cave_host_icons)
