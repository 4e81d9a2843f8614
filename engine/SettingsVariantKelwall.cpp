// The wallpaper program's side of the settings hooks: its two modes are its
// own, the rest of the key it shares with the screen saver.
#include "engine/SettingsVariant.h"

int DefaultVisualIndex() { return 3; }  // Random

const wchar_t* VisualIndexValueName() { return L"WP_CurrentVisualIndex"; }
const wchar_t* PowerIndexValueName() { return L"WP_CurrentPowerIndex"; }
