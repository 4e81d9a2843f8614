#pragma once
#include <windows.h>

// The window thread's fixed rests (half a second after a power or input
// message, before the show goes on): a plain sleep. Test seam: the rest goes
// to the given function instead, so a test sees how long it was without
// waiting for it; null restores the sleep.
void Rest(DWORD milliseconds);
using RestFunction = void (*)(DWORD milliseconds);
void SetRestForTests(RestFunction rest);
