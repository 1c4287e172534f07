#pragma once

#include <QString>

// What opens after what. The login window is the only way in; once it
// reports a login (typed, or skipped by the user's choice), the main window
// opens. main() and the tests start the program through this one function.
void startGearbook();

// Once the first window has painted, a later start of Gearbook on this computer
// and data folder brings this one to the front (main() calls it; it holds the lock).
void listenForLaterStarts();

// The program's start asks for the folder to be read for sync conflicts after
// the main window opens (on a worker thread, after the first paint), and for
// the "Sync Conflicts" window to be shown when there is one.
void setConflictCheckAtStart(bool check);

// The reminder's "Open" (`--show-due`): the Due Maintenance window opens with the main window.
void setShowDueAtStart(bool show);

// What the start put back of an import killed half way, told once the main window has painted; empty: nothing.
void setImportRecoveredAtStart(const QString& message);
