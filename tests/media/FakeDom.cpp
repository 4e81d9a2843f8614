// The fake DOM is all in FakeDom.h, so that any test program can include it;
// compiled here on its own as well, so that the header stands alone.
#include "FakeDom.h"
