// libstdc++'s configure writes this file; 32-bit file offsets are what msvcrt.dll's calls take.
