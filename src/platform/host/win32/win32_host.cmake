# The Windows desktop: one static cave.exe that needs only the DLLs every Windows has, and the
# pacing probe on the same host. Its files (win32_files.cpp, win32_text.cpp) go into the
# platform library, src/CMakeLists.txt.
if(WIN32)
  add_library(cave_host_win32 OBJECT ${CMAKE_CURRENT_LIST_DIR}/win32_host.cpp
                                     ${CMAKE_CURRENT_LIST_DIR}/win32_full_screen.cpp
                                     ${CMAKE_CURRENT_LIST_DIR}/win32_pad.cpp)
  target_include_directories(cave_host_win32 PUBLIC ${CAVE_SOURCE_ROOT})
  # windows.h without the rarely used parts and without its min and max macros; its generic
  # names (IDC_ARROW) in their UTF-16 form, as every call here is.
  target_compile_definitions(cave_host_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE)
  # gdi32 for the pictures; winmm for timeBeginPeriod, the sleep precision fallback; shell32 for
  # the UTF-16 command line
  target_link_libraries(cave_host_win32 PUBLIC gdi32 winmm shell32)

  # -static folds the C and C++ runtimes and winpthread in; -mwindows: no console window.
  add_executable(cave ${CAVE_SOURCE_ROOT}/shell/main.cpp)
  target_link_libraries(cave PRIVATE cave_game cave_host_win32)
  target_link_options(cave PRIVATE -static -mwindows)
  include(${PROJECT_SOURCE_DIR}/packaging/windows/resources.cmake)

  # A console program: it prints its measurements.
  add_executable(cave_pacing ${PROJECT_SOURCE_DIR}/tools/pacing/pacing_probe.cpp)
  target_link_libraries(cave_pacing PRIVATE cave_platform cave_host_win32)
  target_link_options(cave_pacing PRIVATE -static)

  # At the top of the build tree, where scripts/test looks for cave.exe.
  set_target_properties(cave cave_pacing PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
