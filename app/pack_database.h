// Pack Database: removes the records marked by Delete from both tables for
// good, compacts the memo file, and ends the program.
#pragma once

#include "app/program.h"

namespace app {

// Asks for confirmation; on Yes closes both tables, reopens them denying
// writes to others, compacts the memo file, packs Keys then Text, reports the
// outcome and, after success, closes everything and ends the program. A table
// that cannot be reopened (another handle has it open for writing) is reported
// and ends the program; a failed pack is reported and the program goes on
// with the reopened tables.
void pack_database(Program& program);

}  // namespace app
