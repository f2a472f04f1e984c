# The Windows desktop program: one static cave.exe that needs only the DLLs every Windows has.
if(WIN32)
  add_library(cave_host_win32 OBJECT ${CMAKE_CURRENT_LIST_DIR}/win32_host.cpp)
  target_include_directories(cave_host_win32 PUBLIC ${CAVE_SOURCE_ROOT})
  # gdi32 for the pictures; winmm for timeBeginPeriod, the sleep precision fallback
  target_link_libraries(cave_host_win32 PUBLIC gdi32 winmm)

  # -static folds the C and C++ runtimes and winpthread in; -mwindows: no console window.
  set(CAVE_WIN32_LINK_OPTIONS -static -mwindows)

  add_executable(cave ${CAVE_SOURCE_ROOT}/shell/main.cpp)
  target_link_libraries(cave PRIVATE cave_game cave_host_win32)
  target_link_options(cave PRIVATE ${CAVE_WIN32_LINK_OPTIONS})

  # The frame pacing probe, measured on Windows the same way as on Linux.
  set(CAVE_PACING_SOURCE ${CAVE_SOURCE_ROOT}/../tools/pacing/pacing_probe.cpp)
  if(EXISTS ${CAVE_PACING_SOURCE})
    add_executable(cave_pacing ${CAVE_PACING_SOURCE})
    target_link_libraries(cave_pacing PRIVATE cave_platform cave_host_win32)
    target_link_options(cave_pacing PRIVATE -static)
  endif()
endif()
