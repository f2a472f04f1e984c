# Packs the Windows program for download: cave-VERSION-windows-x86_64.zip holding one folder
# with the stripped cave.exe, LICENSE and README.txt (Windows line ends).
#   cmake -DEXE=cave.exe -DVERSION=1.0 -DOUT=dist -P packaging/windows/package.cmake
foreach(input EXE VERSION OUT)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "package.cmake needs -D${input}=...")
  endif()
endforeach()
find_program(STRIP NAMES x86_64-w64-mingw32-strip REQUIRED)
# The zip is written from inside the staging folder.
get_filename_component(OUT ${OUT} ABSOLUTE)

set(root ${CMAKE_CURRENT_LIST_DIR}/../..)
set(name cave-${VERSION}-windows-x86_64)
set(stage ${OUT}/${name}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/${name})
# The header's time stamp is SOURCE_DATE_EPOCH when set (scripts/release sets it).
execute_process(COMMAND ${STRIP} -o ${stage}/${name}/cave.exe ${EXE}
                RESULT_VARIABLE stripped)
if(NOT stripped EQUAL 0)
  message(FATAL_ERROR "could not strip ${EXE}")
endif()
foreach(text LICENSE README.md)
  file(READ ${root}/${text} content)
  string(REPLACE "\n" "\r\n" content "${content}")
  string(REGEX REPLACE "\\.md$" ".txt" target ${text})
  file(WRITE ${stage}/${name}/${target} "${content}")
endforeach()
file(REMOVE ${OUT}/${name}.zip)
find_program(PYTHON NAMES python3 REQUIRED)
execute_process(COMMAND ${PYTHON} ${root}/packaging/zip_tree.py ${OUT}/${name}.zip
                        ${stage}/${name} RESULT_VARIABLE zipped)
file(REMOVE_RECURSE ${stage})
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "could not write ${OUT}/${name}.zip")
endif()
