#include "platform/LargeAllocations.h"

// Any header of the C library defines __GLIBC__ when it is the GNU one.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Far above the blocks the program allocates and frees all the time (pieces of a paste, rows
// of a lookup), so that those stay in the heap, cheap to allocate, and far below the buffers
// that a long text needs.
constexpr int kMappedFromBytes = 1024 * 1024;

} // namespace

void keepLargeAllocationsMapped()
{
#if defined(__GLIBC__)
    // A fixed size also stops the library from raising it after a free.
    mallopt(M_MMAP_THRESHOLD, kMappedFromBytes);
#endif
}
