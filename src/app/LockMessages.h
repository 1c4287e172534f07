#pragma once

#include "common/DataFolder.h"

// Tells the user what taking the data folder's lock for this run came to
// (`taken`, what lock.take() returned). A stale lock that named nobody
// (empty, not a lock) and was taken over is told in a note.
// When another copy on this computer holds it, says so, naming it, and
// returns false: the program must then end without writing anything. When
// another computer holds it (or the lock does not say who), names it and since
// when and asks: "Open Anyway" takes the lock over, "Quit" returns false and
// leaves it untouched. A lock that cannot be made at all is reported, and the
// run goes on.
bool tellDataFolderLock(DataFolder::Lock& lock, DataFolder::Lock::Result taken);
