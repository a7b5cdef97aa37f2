// A worker thread that nobody waits for, started without exceptions: a
// thread the system cannot make is a false result, the step's own failure,
// never an exception thrown through the window code that asked for it.
#pragma once
#include <functional>

namespace utility {

// Runs `work` on a new thread. False, with `work` never run, when the thread
// cannot be made. Any thread.
bool startDetachedThread(std::function<void()> work);

}  // namespace utility
