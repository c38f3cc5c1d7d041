# The install steps that depend on where the program is installed; runs from
# cmake --install with SPLITWERK_RESOURCES, SPLITWERK_MAKEDB, SPLITWERK_DB_NAME,
# SPLITWERK_DB_KEY and SPLITWERK_INSTALL_DIR set.
set(folder "${CMAKE_INSTALL_PREFIX}/${SPLITWERK_INSTALL_DIR}")
set(staged "$ENV{DESTDIR}${folder}")

# The database is the user's once made: an install never replaces it.
if(EXISTS "${staged}/${SPLITWERK_DB_NAME}")
  message(STATUS "Kept: ${staged}/${SPLITWERK_DB_NAME}")
else()
  execute_process(
    COMMAND "${SPLITWERK_MAKEDB}" "${staged}/${SPLITWERK_DB_NAME}" "${SPLITWERK_DB_KEY}"
            "${SPLITWERK_RESOURCES}/schema.sql" "${SPLITWERK_RESOURCES}/seed.sql"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not make ${staged}/${SPLITWERK_DB_NAME}")
  endif()
  message(STATUS "Installing: ${staged}/${SPLITWERK_DB_NAME}")
endif()

# The launcher names the program where it is installed.
set(SPLITWERK_PROGRAM "${folder}/splitwerk")
configure_file("${SPLITWERK_RESOURCES}/splitwerk.desktop.in"
               "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/splitwerk.desktop" @ONLY)
message(STATUS "Installing: $ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/splitwerk.desktop")

# On the PATH as well; the program still finds its folder through the link.
file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
file(CREATE_LINK "${SPLITWERK_PROGRAM}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/splitwerk" SYMBOLIC)
