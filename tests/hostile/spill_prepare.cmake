# Included by run_host.cmake before a spill case: a directory to spill into, and a plain file
# that stands where a directory is expected.
file(MAKE_DIRECTORY "${SCRATCH}/spill")
file(WRITE "${SCRATCH}/plain file" "stays as it is")
