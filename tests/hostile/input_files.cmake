# Module files, settings files and catalogues that are not what they claim, and options out of
# range.
orn_hostile_run(MissingModuleIsBadInput ARGS check {scratch}/absent.module STATUS 2 TEXT absent.module)
orn_hostile_run(MissingModuleIsBadInputInJson ARGS check --json {scratch}/absent.module STATUS 2
  TEXT absent.module JSON)

# A copy cut short faults in the loader when it is mapped: refused from its headers, by every
# subcommand.
foreach(sub inspect check test)
  orn_hostile_run(TruncatedModuleIsCutShort_${sub} MODULE template PREPARE truncated_module.cmake
    ARGS ${sub} {scratch}/truncated.module STATUS 2
    TEXT "truncated.module: not a loadable module: the file is cut short" "has 20000 bytes")
endforeach()
orn_hostile_run(TruncatedModuleIsCutShortInJson MODULE template PREPARE truncated_module.cmake
  ARGS check --json {scratch}/truncated.module STATUS 2 TEXT "cut short" JSON)

# A FIFO is refused without being opened (opening it would wait for a writer). Under wine the
# file is not even a FIFO to Windows: it cannot be opened, and is refused all the same.
orn_hostile_run(FifoAsModuleDoesNotHang PREPARE fifo_as_module.cmake TIMEOUT 60
  ARGS check {scratch}/fifo.module STATUS 2 TEXT "fifo.module: not a loadable module")
if(NOT WIN32)
  orn_hostile_run(FifoAsModuleIsNamed PREPARE fifo_as_module.cmake TIMEOUT 60
    ARGS inspect --json {scratch}/fifo.module STATUS 2 TEXT "it is a FIFO" JSON)
endif()

orn_hostile_run(DirectoryAsModule PREPARE not_a_module.cmake
  ARGS check {scratch}/dir.module STATUS 2 TEXT "dir.module: not a loadable module: it is a directory")
orn_hostile_run(EmptyFileAsModule PREPARE not_a_module.cmake
  ARGS test {scratch}/empty.module STATUS 2 TEXT "empty.module: not a loadable module: the file is empty")
orn_hostile_run(TextAsModule PREPARE not_a_module.cmake
  ARGS check --json {scratch}/text.module STATUS 2 TEXT "it is text" JSON)
orn_hostile_run(TooLargeModule PREPARE not_a_module.cmake
  ARGS check {scratch}/large.module STATUS 2 TEXT "more than the 536870912 bytes a module may have")
# The other system's kind of module.
if(WIN32)
  orn_hostile_run(OtherSystemsModule PREPARE not_a_module.cmake
    ARGS check {scratch}/elf.module STATUS 2 TEXT "it is an ELF file" "not a Windows DLL")
else()
  orn_hostile_run(OtherSystemsModule PREPARE not_a_module.cmake
    ARGS check {scratch}/mz.module STATUS 2 TEXT "Windows (MZ)" "not an ELF shared object")
  orn_hostile_run(OtherArchitecturesModule PREPARE not_a_module.cmake
    ARGS check {scratch}/elf.module STATUS 2 TEXT "32-bit ELF file")
endif()

# Settings and catalogues must be regular files: a directory is an error naming it, not an empty
# file.
orn_hostile_run(SettingsAsDirectory MODULE template
  ARGS check --settings {scratch} {module} STATUS 2 TEXT "cannot read the settings file: it is a directory")
orn_hostile_run(SettingsAsDirectoryInJson MODULE template
  ARGS inspect --json --settings {scratch} {module} STATUS 2 TEXT "is a directory" JSON)
orn_hostile_run(MissingSettingsFile MODULE template
  ARGS check --settings {scratch}/absent.ini {module} STATUS 2 TEXT "absent.ini: cannot read the settings file: it no such file")
orn_hostile_run(CatalogueAsDirectory MODULE template
  ARGS test --catalogue {scratch} {module} STATUS 2 TEXT "cannot read the catalogue: it is a directory")
orn_hostile_run(CatalogueAsDirectoryInJson MODULE template
  ARGS check --json --catalogue {scratch} {module} STATUS 2 TEXT "is a directory" JSON)
if(NOT WIN32)
  orn_hostile_run(SettingsAsFifoDoesNotHang MODULE template PREPARE fifo_as_module.cmake TIMEOUT 60
    ARGS check --settings {scratch}/fifo.module {module} STATUS 2 TEXT "is a FIFO")
  orn_hostile_run(CatalogueAsFifoDoesNotHang MODULE template PREPARE fifo_as_module.cmake TIMEOUT 60
    ARGS check --catalogue {scratch}/fifo.module {module} STATUS 2 TEXT "is a FIFO")
endif()

# --memory-reserve refuses what it cannot hold and names what was typed.
set(reserve_cases
  "1E=more than this"  # 2^60 bytes: more than the machine or the 32-bit process holds
  "16E=more than this process can hold"  # past 2^64 - 1
  "-1=has a sign"  # used to be read as 2^64 - 1
  "12Q=unknown unit"
  "1.5.3=not a whole number"
  "1.5M=not a whole number"
  "8MX=unknown unit"
  "M=is not a size")
set(reserve_index 0)
foreach(reserve_case IN LISTS reserve_cases)
  string(REPLACE "=" ";" reserve_parts "${reserve_case}")
  list(GET reserve_parts 0 typed)
  list(GET reserve_parts 1 said)
  math(EXPR reserve_index "${reserve_index} + 1")
  orn_hostile_run(MemoryReserveRefused_${reserve_index} MODULE template
    ARGS check --memory-reserve=${typed} {module} STATUS 2 TEXT "--memory-reserve: '${typed}'" "${said}")
endforeach()
# An empty value after '=' makes the parser take the next argument as the value: still refused,
# naming it.
orn_hostile_run(MemoryReserveEmpty MODULE template
  ARGS check --json --memory-reserve= {module} STATUS 2 TEXT "' is not a size" JSON)
orn_hostile_run(MemoryReserveWithUnits MODULE template
  ARGS check --memory-reserve=2MiB {module} STATUS 0 TEXT "0 failed")
