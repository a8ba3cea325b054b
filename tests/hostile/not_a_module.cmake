# PREPARE: files that are not modules: {scratch}/empty.module (no bytes), {scratch}/text.module
# (a line of text), {scratch}/dir.module (a directory), {scratch}/elf.module and
# {scratch}/mz.module (the first bytes of a 32-bit ELF file and of a Windows file, padded), {scratch}/large.module
# (past the size a module may have; sparse, so it costs no disk).
file(WRITE "${SCRATCH}/empty.module" "")
file(WRITE "${SCRATCH}/text.module" "this is not a module\n")
file(MAKE_DIRECTORY "${SCRATCH}/dir.module")
string(ASCII 127 del)
string(ASCII 1 one)
string(REPEAT "x" 200 padding)
file(WRITE "${SCRATCH}/elf.module" "${del}ELF${one}${one}${one}${padding}")
file(WRITE "${SCRATCH}/mz.module" "MZ${padding}")
file(WRITE "${SCRATCH}/large.module" "MZ")
execute_process(COMMAND truncate -s 600M "${SCRATCH}/large.module" RESULT_VARIABLE grown)
if(NOT grown EQUAL 0)
  message(FATAL_ERROR "truncate failed: ${grown}")
endif()
