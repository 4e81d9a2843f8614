#pragma once

// Where the two programs' settings differ. Each program links one body
// (SettingsVariantKel.cpp, SettingsVariantKelwall.cpp).

// Built-in default of the visualisation mode.
int DefaultVisualIndex();

// Registry names under which this program keeps the visualisation and power
// modes.
const wchar_t* VisualIndexValueName();
const wchar_t* PowerIndexValueName();
