# Included by run_host.cmake: a catalogue whose translations of the template's reports hold a
# terminal escape, a byte that is not UTF-8 and a forged check line.
string(ASCII 27 esc)
string(ASCII 255 ff)
file(WRITE "${SCRATCH}/bad.po"
  "msgid \"Unable to get test service\"\n"
  "msgstr \"${esc}[31mno service${ff}\\n[ ok ] forged translation\"\n")
