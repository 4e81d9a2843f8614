// The screen saver's side of the settings hooks.
#include "engine/SettingsVariant.h"

int DefaultVisualIndex() { return 1; }  // Local Image

const wchar_t* VisualIndexValueName() { return L"CurrentVisualIndex"; }
const wchar_t* PowerIndexValueName() { return L"CurrentPowerIndex"; }
