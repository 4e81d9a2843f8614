#include "support/TracedRests.h"

#include "platform/Rest.h"
#include "platform/Trace.h"

namespace {
void TraceRest(DWORD milliseconds) { Trace(L"rest %lu", milliseconds); }
}  // namespace

TracedRests::TracedRests() { SetRestForTests(TraceRest); }
TracedRests::~TracedRests() { SetRestForTests(nullptr); }
