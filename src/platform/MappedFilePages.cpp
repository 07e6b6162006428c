#include "platform/MappedFilePages.h"

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void releaseMappedFilePages(const void *start, qint64 size)
{
    if (!start || size <= 0)
        return;
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    // Only whole pages inside the range: a mapping starts on a page, its last page may be
    // partly beyond the file.
    const std::uintptr_t begin = (std::uintptr_t(start) + page - 1) & ~(page - 1);
    const std::uintptr_t end = std::uintptr_t(start) + std::uintptr_t(size);
    if (end <= begin)
        return;
    // Advice only: on failure the pages simply stay resident.
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_DONTNEED);
}
#else
void releaseMappedFilePages(const void *, qint64) {}
#endif
