// Placeholder until the playback options are built.
#include "media/VisualOptions.h"

void ApplyVisualOptions(VisualMode) {}
