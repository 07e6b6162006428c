#include "platform/FreeHeapMemory.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#ifdef __GLIBC__
#include <malloc.h>

void releaseFreeHeapMemory()
{
    malloc_trim(0);
}
#else
// Other allocators give large free blocks back by themselves.
void releaseFreeHeapMemory() {}
#endif
