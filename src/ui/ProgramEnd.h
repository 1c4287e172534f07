#pragma once

#include <functional>

// The one way a window ends the program: it leaves the event loop, so every
// window closes and main() returns. Tests install a hook instead, to see that
// the program would end without ending the test.
namespace ProgramEnd {

void quit();
// An empty hook restores leaving the event loop.
void setHook(std::function<void()> hook);

} // namespace ProgramEnd
