# Module files, settings files and catalogues that are not what they claim, and options out of
# range.
orn_hostile_run(MissingModuleIsBadInput ARGS check {scratch}/absent.module STATUS 2 TEXT absent.module)
orn_hostile_run(MissingModuleIsBadInputInJson ARGS check --json {scratch}/absent.module STATUS 2
  TEXT absent.module JSON)
