# cmake -DFOLDER=<folder> -DOUTPUT=<file.cab> -P MakeCabinet.cmake
# Packs every file below FOLDER, with its path relative to FOLDER, into an MSZIP cabinet.
file(GLOB_RECURSE files RELATIVE "${FOLDER}" "${FOLDER}/*")
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "no files below ${FOLDER}")
endif()
file(REMOVE "${OUTPUT}")
execute_process(COMMAND gcab -c -z "${OUTPUT}" ${files}
                WORKING_DIRECTORY "${FOLDER}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gcab failed on ${FOLDER}")
endif()
