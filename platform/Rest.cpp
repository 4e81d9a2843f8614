#include "platform/Rest.h"

namespace {
RestFunction g_rest = nullptr;
}

void Rest(DWORD milliseconds) {
  if (g_rest)
    g_rest(milliseconds);
  else
    Sleep(milliseconds);
}

void SetRestForTests(RestFunction rest) { g_rest = rest; }
