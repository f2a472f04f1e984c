# Runs one replay with the Linux cavesim and with the browser build's cavesim.js under node, and
# fails unless both give the same exit status, output, trace, last picture and cave image, byte
# for byte.
#   CAVESIM, CAVESIM_JS, NODE, ARGS (a ;-list), OUT (file prefix)
cmake_minimum_required(VERSION 3.25)
function(run_cavesim side)
  set(outputs --trace ${OUT}.${side}.trace --dump-frame ${OUT}.${side}.frame.ppm
              --dump-cave ${OUT}.${side}.cave.ppm)
  file(REMOVE ${OUT}.${side}.trace ${OUT}.${side}.frame.ppm ${OUT}.${side}.cave.ppm)
  execute_process(COMMAND ${ARGN} ${ARGS} ${outputs} RESULT_VARIABLE status
                  OUTPUT_FILE ${OUT}.${side}.out ERROR_FILE ${OUT}.${side}.err)
  set(${side}_status ${status} PARENT_SCOPE)
endfunction()

run_cavesim(linux ${CAVESIM})
# Node's own fetch cannot load a local .wasm the way this emscripten asks for it.
run_cavesim(web ${NODE} --no-experimental-fetch ${CAVESIM_JS})
if(NOT linux_status STREQUAL web_status)
  file(READ ${OUT}.web.err errors)
  message(FATAL_ERROR "exit status ${web_status} in the browser build, ${linux_status} on Linux\n"
                      "${errors}")
endif()
foreach(suffix out err trace frame.ppm cave.ppm)
  set(linux ${OUT}.linux.${suffix})
  set(web ${OUT}.web.${suffix})
  if(NOT EXISTS ${linux} AND NOT EXISTS ${web})
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${linux} ${web}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${web} differs from ${linux}")
  endif()
endforeach()
