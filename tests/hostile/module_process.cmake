# Modules that end their process or never return: exit in EntryPoint or in a static initialiser,
# abort, a fault, a thrown non-standard exception, a hang in EntryPoint or runTests.
