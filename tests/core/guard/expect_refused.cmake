# Builds each probe with the core's rules and expects the compiler to refuse its include.
foreach(probe qt cups windows)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target core_guard_probe_${probe}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(result EQUAL 0)
    message(FATAL_ERROR "the ${probe} include compiled under the core's rules")
  endif()
  if(NOT output MATCHES "standard C\\+\\+ only|No such file")
    message(FATAL_ERROR "the ${probe} probe failed for another reason:\n${output}")
  endif()
  message(STATUS "${probe} include refused")
endforeach()
