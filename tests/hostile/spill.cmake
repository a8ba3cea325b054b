# The spill file under test and check: where it goes, what its failure says, how it is removed.
# hostile_spill_growth grows a block through the spill file each time its class is created (the
# check's class walk does); its heap cannot grow a block in place. A spill that fails ends the
# module's process: the message must reach the user although the check keeps module reports
# quiet while it runs. That process ends with the module's exit(-1); orn-host then exits with the
# status for a module process that ended abnormally (3).
orn_hostile_module(spill_growth spill_growth.cpp)

set(spill_failed 3)
set(spill_message "you have run out of memory")

orn_hostile_run(SpillIntoTheConfiguredDirectoryLeavesNothing MODULE spill_growth
  ARGS check {module} --set "Directories/Temp Directory={scratch}/spill"
  PREPARE spill_prepare.cmake VERIFY spill_verify.cmake
  STATUS 0 TEXT "spilled and read back intact" NO_TEXT "spill damaged" ${spill_message})
orn_hostile_run(SpillWithAnEmptyTempDirectoryGoesToTheSystemsOne MODULE spill_growth
  ARGS check {module} "--set=Directories/Temp Directory="
  VERIFY spill_verify.cmake
  STATUS 0 TEXT "spilled and read back intact" NO_TEXT ${spill_message})
orn_hostile_run(SpillWithARelativeTempDirectoryGoesToTheSystemsOne MODULE spill_growth
  ARGS check {module} "--set=Directories/Temp Directory=no such relative dir"
  VERIFY spill_verify.cmake
  STATUS 0 TEXT "spilled and read back intact" NO_TEXT ${spill_message})
orn_hostile_run(SpillIntoAMissingDirectoryIsTold MODULE spill_growth
  ARGS check {module} --set "Directories/Temp Directory={scratch}/missing"
  VERIFY spill_verify.cmake
  STATUS ${spill_failed} TEXT ${spill_message} NO_TEXT "spilled and read back intact")
orn_hostile_run(SpillIntoAMissingDirectoryIsToldUnderJson MODULE spill_growth
  ARGS check --json {module} --set "Directories/Temp Directory={scratch}/missing"
  STATUS ${spill_failed} TEXT ${spill_message} JSON)
orn_hostile_run(SpillIntoAFileIsToldAndTheFileIsUntouched MODULE spill_growth
  ARGS check {module} --set "Directories/Temp Directory={scratch}/plain file"
  PREPARE spill_prepare.cmake VERIFY spill_verify.cmake
  STATUS ${spill_failed} TEXT ${spill_message})
orn_hostile_run(SpillUnderInspectIsToldOnce MODULE spill_growth
  ARGS inspect {module} --set "Directories/Temp Directory={scratch}/missing"
  STATUS ${spill_failed} TEXT ${spill_message})
