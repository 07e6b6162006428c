#pragma once

#include <QtGlobal>

// Gives the pages of a read-only file mapping back to the system once a reader is done with
// them, so that reading a large file through a mapping does not hold the whole file resident
// beside what is built from it. Touched again, a page is simply read back from the file (from
// the page cache, as a rule). Only for mappings of files opened read-only: on other memory the
// contents would be lost.
void releaseMappedFilePages(const void *start, qint64 size);
