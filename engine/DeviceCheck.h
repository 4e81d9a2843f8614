#pragma once
#include <d3d9.h>

// What a frame does with the device's cooperative level, and with the result
// of a reset.
enum class DeviceCheck { Draw, Skip, Reset, Fail };

// D3DERR_DEVICELOST skips the frame; D3DERR_DEVICENOTRESET resets; anything
// else, a driver error included, draws.
DeviceCheck DeviceCheckFor(HRESULT cooperativeLevel);

// A reset that finds the device lost again skips the frame and is tried next
// frame; any other failure ends the show.
DeviceCheck ResetOutcomeFor(HRESULT resetResult);
