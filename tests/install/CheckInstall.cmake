# cmake --install into a fresh prefix, twice: the program folder, the
# launcher (validated where desktop-file-validate is installed) and the icon
# are there, and the second install keeps the database it finds.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
function(install_once)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
  endif()
endfunction()

install_once()
set(folder "${PREFIX}/lib/splitwerk")
foreach(file "${folder}/splitwerk" "${folder}/splitwerk.mdb" "${folder}/splitwerk.ini" "${folder}/splitwerk.html"
             "${folder}/SPLITWERK.UDL" "${PREFIX}/bin/splitwerk" "${PREFIX}/share/applications/splitwerk.desktop"
             "${PREFIX}/share/icons/hicolor/scalable/apps/splitwerk.svg")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/splitwerk.desktop" desktop)
if(NOT desktop MATCHES "Exec=\"${folder}/splitwerk\"")
  message(FATAL_ERROR "the launcher does not start the installed program:\n${desktop}")
endif()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/splitwerk.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
  endif()
endif()

# The coach's data, as a second install must find it again.
file(SHA256 "${folder}/splitwerk.mdb" made)
file(WRITE "${folder}/splitwerk.mdb" "the coach's segments")
install_once()
file(READ "${folder}/splitwerk.mdb" kept)
if(NOT kept STREQUAL "the coach's segments")
  message(FATAL_ERROR "a second install replaced the database")
endif()
message(STATUS "installed and kept the database (first one made with ${made})")
