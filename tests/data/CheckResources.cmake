# Runs "tarnwick-tool resources check Properties/resources.xml GROUP" twice: in a copy of the
# data folder DATA_DIR without main.pak (loose files only) and in a folder that holds main.pak
# alone. Both must pass.
foreach(var DATA_DIR TOOL GROUP WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckResources.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${DATA_DIR}/ DESTINATION ${WORK_DIR}/folder PATTERN main.pak EXCLUDE)
file(MAKE_DIRECTORY ${WORK_DIR}/pak)
file(COPY_FILE ${DATA_DIR}/main.pak ${WORK_DIR}/pak/main.pak)

foreach(where folder pak)
  execute_process(COMMAND ${TOOL} resources check Properties/resources.xml ${GROUP}
    WORKING_DIRECTORY ${WORK_DIR}/${where}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message("${where}: ${out}${err}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "resources check of \"${GROUP}\" fails on the ${where}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
