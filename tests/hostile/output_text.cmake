# Bytes from modules and input that are not UTF-8, control characters, lines made to look like
# the check's own.
