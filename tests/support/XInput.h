#pragma once
#include <string>

// Real X input from under Wine: xdotool (a Linux program) run on the
// display Wine draws on, as a user's keyboard and mouse would reach it.
// Wine starts a Linux program but gives no handle to wait on, so the
// program's exit code comes back through a file.

// Runs "xdotool <arguments>" and waits for it; true when it ran and
// reported success within the time.
bool RunXdotool(const std::string& arguments, unsigned long milliseconds = 10000);
