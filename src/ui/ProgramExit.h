#pragma once

#include <functional>

// Ends the program from inside an event handler (a wrong master password, the last window closed).
// The real action quits the event loop with the given status; tests install their own action and
// check that the program would have ended, without ending the test.
namespace ProgramExit {

void endProgram(int status);

using Action = std::function<void(int status)>;
// Returns the action installed before; an empty action restores the real one.
Action setAction(Action action);

} // namespace ProgramExit
