# PREPARE: {scratch}/fifo.module, a FIFO nobody writes to: opening it to read would wait forever.
execute_process(COMMAND mkfifo "${SCRATCH}/fifo.module" RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "mkfifo failed: ${made}")
endif()
