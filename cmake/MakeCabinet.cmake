# cmake -DFOLDER=<folder> -DOUTPUT=<file.cab> -DEPOCH=<seconds since 1970> -P MakeCabinet.cmake
# Packs every file below FOLDER, with its path relative to FOLDER, into an MSZIP cabinet. The
# cabinet stores each file's time and attributes: the files are packed from a copy that carries
# the time EPOCH and plain permissions, so that the cabinet's bytes depend on the files' contents
# only, not on when or where they were checked out or built.
if(NOT DEFINED EPOCH)
  message(FATAL_ERROR "EPOCH, the time of the packed files, is not given")
endif()
file(GLOB_RECURSE files RELATIVE "${FOLDER}" "${FOLDER}/*")
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "no files below ${FOLDER}")
endif()
set(stage "${OUTPUT}.files")
file(REMOVE_RECURSE "${stage}")
foreach(name IN LISTS files)
  get_filename_component(folder "${stage}/${name}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${FOLDER}/${name}" "${stage}/${name}")
endforeach()
# gcab writes the times as local DOS times.
set(ENV{TZ} UTC)
execute_process(COMMAND chmod -R u=rwX,go=rX "${stage}" RESULT_VARIABLE result)
if(result EQUAL 0)
  execute_process(COMMAND touch -d "@${EPOCH}" ${files} WORKING_DIRECTORY "${stage}"
                  RESULT_VARIABLE result)
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot set the time of the files below ${stage}")
endif()
file(REMOVE "${OUTPUT}")
execute_process(COMMAND gcab -c -z "${OUTPUT}" ${files}
                WORKING_DIRECTORY "${stage}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gcab failed on ${FOLDER}")
endif()
