# Runs `orn-host check` on one broken module and fails unless the command refuses it with the
# expected exit status, the expected rule marked [FAIL] (or, for a load error, the expected
# message) and the expected number of failed rules. Run with cmake -P:
#   -DHOST=orn-host -DMODULE=... -DEXPECT_STATUS=1 -DEXPECT_TEXT=...
#   [-DEXPECT_FAILED=N -DRULE_COUNT=number of rules] [-DEMULATOR=...] [-DPATH_PREFIX=Z:]
execute_process(COMMAND ${EMULATOR} ${HOST} check ${PATH_PREFIX}${MODULE}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(shown "${out}${err}")
if(NOT status EQUAL EXPECT_STATUS)
  message(FATAL_ERROR "orn-host check exited with ${status}, expected ${EXPECT_STATUS}\n${shown}")
endif()
string(FIND "${shown}" "${EXPECT_TEXT}" at)
if(at LESS 0)
  message(FATAL_ERROR "orn-host check did not say '${EXPECT_TEXT}'\n${shown}")
endif()
if(DEFINED EXPECT_FAILED AND NOT out MATCHES
   "(^|\n)${RULE_COUNT} checks: [0-9]+ passed, ${EXPECT_FAILED} failed")
  message(FATAL_ERROR "orn-host check did not fail exactly ${EXPECT_FAILED} rules\n${shown}")
endif()
message(STATUS "refused as expected:\n${shown}")
