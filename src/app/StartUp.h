#pragma once

// What opens after what. The login window is the only way in; once it
// reports a login (typed, or skipped by the user's choice), the main window
// opens. main() and the tests start the program through this one function.
void startGearbook();
