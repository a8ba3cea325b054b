// The table is a template and lives in the header; this unit checks that the header stands alone.
#include "text/orn_hash_table.h"
