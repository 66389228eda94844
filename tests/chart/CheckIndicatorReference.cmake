# Has the chart tests (TESTS, their program) write the indicator fixtures
# into OUT, then the numpy reference SCRIPT check every array of them.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env KIV_INDICATOR_FIXTURES=${OUT}
                        ${TESTS} --gtest_filter=IndicatorReferenceExport.*
                RESULT_VARIABLE exported OUTPUT_VARIABLE exportLog ERROR_VARIABLE exportLog)
if(NOT exported EQUAL 0)
  message(FATAL_ERROR "writing the indicator fixtures failed:\n${exportLog}")
endif()
execute_process(COMMAND ${PYTHON} ${SCRIPT} ${OUT}
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE error)
message("${report}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the indicators differ from the numpy reference (python3-numpy installed?): ${error}")
endif()
