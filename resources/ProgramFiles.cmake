# Fills the program folder; runs at every build (cmake -P) with
#   RESOURCES, PROGRAM_DIR, DB_NAME, DB_KEY and MAKEDB set.
# The strings file, the help page and the data link file are ours and refreshed; the database
# is the user's and only made when there is none.

file(COPY_FILE "${RESOURCES}/splitwerk.ini" "${PROGRAM_DIR}/splitwerk.ini" ONLY_IF_DIFFERENT)
file(COPY_FILE "${RESOURCES}/splitwerk.html" "${PROGRAM_DIR}/splitwerk.html" ONLY_IF_DIFFERENT)

set(SPLITWERK_DB_NAME "${DB_NAME}")
configure_file("${RESOURCES}/SPLITWERK.UDL.in" "${PROGRAM_DIR}/SPLITWERK.UDL" @ONLY)

if(NOT EXISTS "${PROGRAM_DIR}/${DB_NAME}")
  execute_process(
    COMMAND "${MAKEDB}" "${PROGRAM_DIR}/${DB_NAME}" "${DB_KEY}"
            "${RESOURCES}/schema.sql" "${RESOURCES}/seed.sql"
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not make ${PROGRAM_DIR}/${DB_NAME}")
  endif()
  message(STATUS "Made the database ${PROGRAM_DIR}/${DB_NAME}")
endif()
