# Bytes from modules and input that are not UTF-8, control characters, lines made to look like
# the check's own. In text mode all of it is printed escaped ("\x1b", "\xff") on lines of its own
# making, a module's own newlines indented; with --json the document is valid UTF-8 (bad bytes
# replaced by U+FFFD) and says "invalidUtf8": true. (Each text below keeps its square brackets
# balanced and holds no ';': a CMake list would run on past them.)
orn_hostile_module(text_bytes text_bytes.cpp)

set(forged "[ ok ] forged")
set(marked "\"invalidUtf8\": true")

orn_hostile_run(ModuleTextIsEscapedByInspect MODULE text_bytes ARGS inspect {module}
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged}
  TEXT "text\\xff\\x1b" "2J\\n${forged} name" "2026\\x1b" "title\\x07\\xc0\\xaf\\n${forged} stamp")
orn_hostile_run(ModuleTextIsValidJsonFromInspect MODULE text_bytes ARGS inspect --json {module}
  STATUS 0 JSON TEXT ${marked})
orn_hostile_run(ModuleTextIsEscapedByCheck MODULE text_bytes ARGS check {module}
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged})
orn_hostile_run(ModuleTextIsValidJsonFromCheck MODULE text_bytes ARGS check --json {module}
  STATUS 0 JSON TEXT "forged report")
orn_hostile_run(ModuleNamesInTheClassWalkAreEscaped MODULE text_bytes ARGS inspect {module}
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged}
  TEXT "Bytes\\xfe\\x1b" "31m\\n${forged} class" "IBytes\\x9b\\u009b0m\\n${forged} interface")
# A module's report keeps its own lines, indented under the first; the CR is shown as "\r".
orn_hostile_run(ModuleReportKeepsItsLinesIndented MODULE text_bytes ARGS check {module}
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged}
  TEXT "  error: first lineÿ\\x1b" "0m\n    ${forged} report\\r${forged} after CR")

# A catalogue whose translation of the template's report holds all of the above.
orn_hostile_run(CatalogueTextIsEscaped MODULE template
  ARGS check {module} --catalogue {scratch}/bad.po PREPARE text_catalogue.cmake
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged} TEXT "\\x1b" "31mno service\\xff")
orn_hostile_run(CatalogueTextIsValidJson MODULE template
  ARGS check --json {module} --catalogue {scratch}/bad.po PREPARE text_catalogue.cmake
  STATUS 0 JSON)
orn_hostile_run(CatalogueTextIsEscapedByTest MODULE template
  ARGS test --no-test-service {module} --catalogue {scratch}/bad.po PREPARE text_catalogue.cmake
  STATUS 0 SAFE_TEXT NO_LINE_START ${forged} TEXT "\\x1b" "31mno service\\xff")
orn_hostile_run(CatalogueTextIsValidJsonFromTest MODULE template
  ARGS test --json --no-test-service {module} --catalogue {scratch}/bad.po
  PREPARE text_catalogue.cmake STATUS 0 JSON TEXT ${marked})

# Command lines. A parse error is one JSON object with --json; what was typed comes back escaped.
orn_hostile_run(ParseErrorIsJsonUnderJson ARGS check --json --no-such-option STATUS 2 JSON
  TEXT "--no-such-option")
orn_hostile_run(ParseErrorIsJsonWhateverTheOrder ARGS --no-such-option inspect --json STATUS 2 JSON)
orn_hostile_run(ParseErrorEscapesWhatWasTyped ARGS check "--bad{x1b}c" STATUS 2 SAFE_TEXT
  TEXT "--bad\\x1bc")
orn_hostile_run(ModulePathIsEscaped ARGS check "{scratch}/absent{x1b}c.so" STATUS 2 SAFE_TEXT
  TEXT "absent\\x1bc.so")
# Bytes that are not UTF-8 on the command line: wine turns each into a character of its own
# before orn-host sees it, so these run natively only.
if(NOT CMAKE_CROSSCOMPILING)
  orn_hostile_run(ModulePathNotUtf8IsValidJson ARGS check --json "{scratch}/absent{xff}.so"
    STATUS 2 JSON TEXT ${marked})
  orn_hostile_run(ModulePathNotUtf8IsEscaped ARGS check "{scratch}/absent{xff}.so" STATUS 2
    SAFE_TEXT TEXT "absent\\xff.so")
  orn_hostile_run(SetKeyNotUtf8IsRefused ARGS inspect --json --set "Bad{xff}{x1b}/key=1"
    STATUS 2 JSON TEXT "not valid UTF-8" ${marked})
  orn_hostile_run(SetKeyNotUtf8IsRefusedEscaped ARGS inspect --set "Bad{xff}{x1b}/key=1"
    STATUS 2 SAFE_TEXT TEXT "Bad\\xff\\x1b/key")
endif()

# A module that prints to stdout itself: with --json, stdout still holds the one document (what
# the module printed is passed on to stderr).
orn_hostile_module(prints_to_stdout prints_to_stdout.cpp)
foreach(command check inspect test)
  orn_hostile_run(PrintingModuleLeavesTheJsonOf_${command}_Whole ARGS ${command} --json {module}
    MODULE prints_to_stdout STATUS 0 JSON TEXT "a line printed by the module")
endforeach()
