// COMMVersion: the version of the library that was actually loaded, so a
// host built against one header can tell when another build is bound.
#include "korlink.h"

KORLINK_API int32_t COMMVersion(void) { return KORLINK_VERSION; }
