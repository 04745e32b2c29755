# Makes the Debian package of BUILD_DIR into OUT and runs LINTIAN on it; any error tag fails.
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND cpack -B "${OUT}" WORKING_DIRECTORY "${BUILD_DIR}"
                RESULT_VARIABLE packed OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB debs "${OUT}/*.deb")
if(NOT packed EQUAL 0 OR NOT debs)
  message(FATAL_ERROR "cpack made no package:\n${log}")
endif()
execute_process(COMMAND "${LINTIAN}" --tag-display-limit 0 ${debs}
                OUTPUT_VARIABLE report ERROR_VARIABLE noise)
message(STATUS "lintian:\n${report}")
if(report MATCHES "(^|\n)E: ")
  message(FATAL_ERROR "lintian reports errors in ${debs}")
endif()
