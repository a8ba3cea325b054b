# Counts, sizes and interface names a module reports that no honest module would.
