# Modules that end their process or never return: exit in EntryPoint or in a static initialiser,
# abort, a fault, a thrown non-standard exception, a hang in EntryPoint or runTests.
# orn-host runs the module in a process of its own and exits 3 for every such ending, saying how
# the process ended and in which phase; check never passes.
foreach(name exit_in_entry_point exit_while_loading exit_three_in_class_walk abort_in_run_tests
    null_write_in_entry_point throw_in_entry_point endless_entry_point endless_run_tests
    report_then_exit terminate_in_initialize stack_overflow_in_entry_point
    throw_standard_in_entry_point exit_in_unload report_then_endless
    report_in_initialize_then_exit)
  orn_hostile_module(${name} ${name}.cpp)
endforeach()

# How a signal or an exception code reads on this build: Windows ends a faulting process with its
# exception code and abort() with status 3; AddressSanitizer catches a fault itself and exits.
if(WIN32)
  set(null_write_ending "was ended by exception 0xC0000005 (access violation)")
  set(stack_overflow_ending "was ended by exception 0xC00000FD (stack overflow)")
  set(abort_ending "exited with status 3")
elseif(ORN_SANITIZE MATCHES "address")
  set(null_write_ending "exited with status")
  set(stack_overflow_ending "exited with status")
  set(abort_ending "was ended by signal 6 (SIGABRT)")
else()
  set(null_write_ending "was ended by signal 11 (SIGSEGV)")
  set(stack_overflow_ending "was ended by signal 11 (SIGSEGV)")
  set(abort_ending "was ended by signal 6 (SIGABRT)")
endif()

# exit(0) is never a pass, in whichever command and phase it comes.
orn_hostile_run(ExitInEntryPointFailsCheck ARGS check {module} MODULE exit_in_entry_point
  STATUS 3 NO_TEXT "checks:"
  TEXT "all is well, says the module"
       "orn-host: the module's process exited with status 0 during EntryPoint, before check finished")
orn_hostile_run(ExitInEntryPointFailsCheckInJson ARGS check --json {module}
  MODULE exit_in_entry_point STATUS 3 JSON
  TEXT "\"error\": \"the module's process exited with status 0 during EntryPoint, before check finished\""
       "\"phase\": \"EntryPoint\"" "\"how\": \"exited\"" "\"status\": 0" "\"ok\": false"
       "\"output\": \"\"" "all is well, says the module")
orn_hostile_run(ExitInEntryPointFailsInspect ARGS inspect {module} MODULE exit_in_entry_point
  STATUS 3 TEXT "exited with status 0 during EntryPoint, before inspect finished")
orn_hostile_run(ExitInEntryPointFailsTest ARGS test {module} MODULE exit_in_entry_point
  STATUS 3 TEXT "exited with status 0 during EntryPoint, before test finished")
orn_hostile_run(ExitWhileLoadingFailsCheck ARGS check {module} MODULE exit_while_loading
  STATUS 3 TEXT "exited with status 0 during load, before check finished")
orn_hostile_run(ExitInUnloadFailsCheck ARGS check {module} MODULE exit_in_unload
  STATUS 3 TEXT "exited with status 0 during unload, before check finished" NO_TEXT "checks:")
orn_hostile_run(ExitInUnloadFailsTestInJson ARGS test --json {module} MODULE exit_in_unload
  STATUS 3 JSON TEXT "\"phase\": \"unload\"" "\"status\": 0")

# exit(3) in classCount: the class walk of check, the inspection of inspect; test never asks.
orn_hostile_run(ExitThreeInClassWalkFailsCheck ARGS check {module}
  MODULE exit_three_in_class_walk STATUS 3
  TEXT "exited with status 3 during class walk, before check finished")
orn_hostile_run(ExitThreeInClassWalkFailsInspect ARGS inspect --json {module}
  MODULE exit_three_in_class_walk STATUS 3 JSON TEXT "\"phase\": \"inspection\"")
orn_hostile_run(ExitThreeInClassWalkPassesTest ARGS test {module}
  MODULE exit_three_in_class_walk STATUS 0 TEXT "tests run: 0" NO_TEXT "module's process")

orn_hostile_run(AbortInRunTestsFailsCheck ARGS check {module} MODULE abort_in_run_tests
  STATUS 3 TEXT "the module's process ${abort_ending} during runTests, before check finished")
orn_hostile_run(AbortInRunTestsFailsTest ARGS test --json {module} MODULE abort_in_run_tests
  STATUS 3 JSON TEXT "\"phase\": \"runTests\"" "\"command\": \"test\"")

orn_hostile_run(NullWriteInEntryPointFailsCheck ARGS check {module}
  MODULE null_write_in_entry_point STATUS 3
  TEXT "the module's process ${null_write_ending}" "during EntryPoint, before check finished")
orn_hostile_run(NullWriteInEntryPointFailsCheckInJson ARGS check --json {module}
  MODULE null_write_in_entry_point STATUS 3 JSON TEXT "\"phase\": \"EntryPoint\"")

orn_hostile_run(StackOverflowInEntryPointFailsCheck ARGS check {module}
  MODULE stack_overflow_in_entry_point STATUS 3
  TEXT "the module's process ${stack_overflow_ending}" "during EntryPoint, before check finished")

# throw 42: main catches what is not a std::exception and names it and the phase. A mingw DLL
# carries its own static unwinder, which cannot unwind into the host's frames: there the module's
# own std::terminate ends the process (status 3), and says so.
if(WIN32 AND NOT ORN_MSVC_ABI)
  set(throw_texts "terminate called after throwing an instance of 'int'"
    "exited with status 3 during EntryPoint, before check finished")
  set(throw_standard_texts "the module's own complaint"
    "exited with status 3 during EntryPoint, before check finished")
else()
  set(throw_texts
    "the module threw an exception that is not a std::exception (thrown through EntryPoint)")
  set(throw_standard_texts
    "the module threw an exception: the module's own complaint (thrown through EntryPoint)")
endif()
orn_hostile_run(ThrowInEntryPointFailsCheck ARGS check {module} MODULE throw_in_entry_point
  STATUS 3 TEXT ${throw_texts})
orn_hostile_run(ThrowStandardInEntryPointFailsCheck ARGS check {module}
  MODULE throw_standard_in_entry_point STATUS 3 TEXT ${throw_standard_texts})
orn_hostile_run(ThrowInEntryPointFailsCheckInJson ARGS check --json {module}
  MODULE throw_in_entry_point STATUS 3 JSON TEXT "EntryPoint")

orn_hostile_run(TerminateInInitializeFailsCheck ARGS check {module}
  MODULE terminate_in_initialize STATUS 3 TEXT "during initialize, before check finished")

# Hangs end at the time limit of their phase.
orn_hostile_run(EndlessEntryPointIsStopped ARGS check --timeout 2 {module}
  MODULE endless_entry_point STATUS 3 TIMEOUT 60
  TEXT "orn-host: the module's process did not finish EntryPoint within 2 s and was stopped")
orn_hostile_run(EndlessRunTestsIsStoppedInTest ARGS test --timeout 2 {module}
  MODULE endless_run_tests STATUS 3 TIMEOUT 60
  TEXT "the module's process did not finish runTests within 2 s and was stopped")
orn_hostile_run(EndlessRunTestsIsStoppedInCheckInJson ARGS check --json --timeout 1.5 {module}
  MODULE endless_run_tests STATUS 3 TIMEOUT 60 JSON
  TEXT "\"how\": \"timeout\"" "\"phase\": \"runTests\"" "\"timeLimitSeconds\": 1.5")

# A report sent just before exit(-1) still reaches the user.
orn_hostile_run(ReportThenExitIsHeardInTest ARGS test {module} MODULE report_then_exit
  STATUS 3 TEXT "during runTests, before test finished"
  "what the module reported before its process ended:" "error: the test data is gone, giving up")
orn_hostile_run(ReportThenExitIsHeardInCheckInJson ARGS check --json {module}
  MODULE report_then_exit STATUS 3 JSON
  TEXT "\"message\": \"the test data is gone, giving up\"" "\"phase\": \"runTests\"")

orn_hostile_run(HelpTellsOfTheModuleProcess ARGS --help STATUS 0
  TEXT "--timeout SECONDS" "loaded in a child process"
       "3 the module's process ended abnormally")
orn_hostile_run(ReportThenEndlessIsHeardWhenStopped ARGS test --timeout 2 {module}
  MODULE report_then_endless STATUS 3 TIMEOUT 60
  TEXT "did not finish runTests within 2 s and was stopped"
       "warning: waiting for a server that never answers")
# inspect echoes module reports as they come: the parent does not show them a second time.
orn_hostile_run(ReportInInitializeIsShownOnceByInspect ARGS inspect {module}
  MODULE report_in_initialize_then_exit STATUS 3
  TEXT "module error: no licence found" "exited with status 1 during initialize"
  NO_TEXT "what the module reported before")
orn_hostile_run(ReportInInitializeIsShownByCheck ARGS check {module}
  MODULE report_in_initialize_then_exit STATUS 3
  TEXT "what the module reported before its process ended:" "  error: no licence found"
  NO_TEXT "module error: no licence found")

# --timeout: shown in the output; 0 is no limit; what is not a limit is refused by name.
orn_hostile_run(TimeLimitIsShownInCheck ARGS check {module} MODULE template STATUS 0
  TEXT "time limit: 30 s per phase")
orn_hostile_run(TimeLimitIsShownInInspectJson ARGS inspect --json --timeout 2.5 {module}
  MODULE template STATUS 0 JSON TEXT "\"timeLimitSeconds\": 2.5")
orn_hostile_run(TimeLimitZeroIsNone ARGS test --timeout 0 {module} MODULE template STATUS 0
  TEXT "time limit: none")
foreach(bad IN ITEMS abc -1 1e9 100000 2.5.1 .5 nan)
  string(MAKE_C_IDENTIFIER "${bad}" bad_name)
  orn_hostile_run(TimeLimitRefused_${bad_name} ARGS check --timeout=${bad} {module}
    MODULE template STATUS 2 TEXT "--timeout: '${bad}'")
endforeach()
orn_hostile_run(TimeLimitRefusedInJson ARGS check --json --timeout -3 {module} MODULE template
  STATUS 2 JSON TEXT "--timeout: '-3'")
