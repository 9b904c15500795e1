# Makes DATA_DIR/main.pak from the files NAMES (comma-separated, relative to DATA_DIR): copies
# them into STAGE_DIR, laid out as in the data folder, and archives that folder with TOOL, the
# entry times capped at EPOCH.
foreach(var DATA_DIR STAGE_DIR NAMES TOOL EPOCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakePak.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE_DIR})
string(REPLACE "," ";" names "${NAMES}")
foreach(name ${names})
  get_filename_component(folder ${STAGE_DIR}/${name} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(COPY_FILE ${DATA_DIR}/${name} ${STAGE_DIR}/${name})
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${EPOCH} ${TOOL} pak build ${DATA_DIR}/main.pak ${STAGE_DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "tarnwick-tool pak build failed")
endif()
