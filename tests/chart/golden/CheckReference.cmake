# Runs the numpy reference into OUT and compares what it writes with the
# checked-in golden file GOLDEN.
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${PYTHON} ${SCRIPT} ${OUT} RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the numpy reference failed (python3-numpy installed?): ${error}")
endif()
file(READ ${OUT}/ema_slope_golden.txt produced)
file(READ ${GOLDEN} expected)
if(NOT produced STREQUAL expected)
  message(FATAL_ERROR "the numpy reference no longer produces ${GOLDEN}")
endif()
