# PREPARE: {scratch}/truncated.module, the first 20000 bytes of MODULE (a copy cut short).
file(READ "${MODULE}" head LIMIT 20000 HEX)
string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${head}")
execute_process(COMMAND printf "${escaped}" OUTPUT_FILE "${SCRATCH}/truncated.module"
  RESULT_VARIABLE written)
file(SIZE "${SCRATCH}/truncated.module" size)
if(NOT written EQUAL 0 OR NOT size EQUAL 20000)
  message(FATAL_ERROR "could not cut ${MODULE} to 20000 bytes (${written}, ${size} bytes)")
endif()
