# The browser: the web host, the game on it as cave.js + cave.wasm, and the page around them.
# build/web then holds everything a static web server needs.
if(EMSCRIPTEN)
  add_library(cave_host_web OBJECT ${CMAKE_CURRENT_LIST_DIR}/web_host.cpp)
  target_include_directories(cave_host_web PUBLIC ${CAVE_SOURCE_ROOT})

  # Games in a row in one page (web/main.cpp) instead of the desktop's command line.
  add_executable(cave ${PROJECT_SOURCE_DIR}/web/main.cpp)
  target_link_libraries(cave PRIVATE cave_game cave_host_web)
  # ASYNCIFY lets the game's own loop, its frame wait and its message boxes give the browser
  # its turn and carry on where they were. No wait is reached through a function pointer, so
  # calls through one are left as they are: a smaller, faster program (the browser tests would
  # stop at the first wait that is).
  target_link_options(cave PRIVATE -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1 -sENVIRONMENT=web)
  # The page reads and writes watch links with the game's own code, and sets how fast a watched
  # run is shown.
  target_link_options(cave PRIVATE
    "-sEXPORTED_FUNCTIONS=_main,_malloc,_free,_cave_watch_payload,_cave_demo_error,_cave_demo_seed,_cave_race_players,_cave_race_place,_cave_race_field,_cave_race_flying,_cave_set_watch_speed"
    "-sEXPORTED_RUNTIME_METHODS=UTF8ToString,allocateUTF8")
  set_target_properties(cave PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

  include(${PROJECT_SOURCE_DIR}/web/page.cmake)
endif()
