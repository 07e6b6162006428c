#pragma once

// Hands the heap's free pages back to the system. Building a large table frees much of what
// it used on the way (hash tables, grown buffers, a second thread's arena), and the allocator
// keeps such pages for later use: after a bank of a million questions, about an eighth of the
// process would be memory nobody holds.
void releaseFreeHeapMemory();
