# The Linux desktop: the SDL2 host, the `cave` program on it, and the pacing probe.
if(NOT WIN32 AND NOT EMSCRIPTEN)
  # Made global and named in the cache: the end-to-end tests build against it too.
  find_package(SDL2 QUIET CONFIG)
  if(TARGET SDL2::SDL2)
    set_target_properties(SDL2::SDL2 PROPERTIES IMPORTED_GLOBAL TRUE)
    set(CAVE_SDL2 SDL2::SDL2 CACHE INTERNAL "SDL2 link target")
  else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)
    set(CAVE_SDL2 PkgConfig::SDL2 CACHE INTERNAL "SDL2 link target")
  endif()

  # SDL leaves some of an X11 program's duties to it (sdl/sdl_x11.cpp). The clocks are Linux's own
  # (linux_clock.cpp): SDL's counter cannot be slept on against a deadline.
  find_package(X11 REQUIRED)
  add_library(cave_host_sdl OBJECT ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_host.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_input.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_present.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_x11.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/linux_clock.cpp)
  target_include_directories(cave_host_sdl PUBLIC ${CAVE_SOURCE_ROOT})
  target_link_libraries(cave_host_sdl PUBLIC ${CAVE_SDL2} X11::X11)
  # The window's icon, drawn by tools/icon.
  target_include_directories(cave_host_sdl PRIVATE ${CAVE_ICON_DIR})
  add_dependencies(cave_host_sdl cave_icons)

  add_executable(cave ${CAVE_SOURCE_ROOT}/shell/main.cpp)
  target_link_libraries(cave PRIVATE cave_game cave_host_sdl)
  # At the top of the build tree, where scripts and tests look for it.
  set_target_properties(cave PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

  # Measures present cost, frame periods and CPU use of the pacing on this host.
  add_executable(cave_pacing ${PROJECT_SOURCE_DIR}/tools/pacing/pacing_probe.cpp)
  target_link_libraries(cave_pacing PRIVATE cave_platform cave_host_sdl)
endif()
