#include "platform/FreeMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreeMemoryToSystem() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
