#pragma once

// Keeps every large allocation in a mapping of its own, for the rest of the process.
//
// An input box's document appends each inserted text to one buffer that only grows (the text it
// replaced stays there for undo), so after a few long pastes the buffer is hundreds of megabytes.
// The C library moves a block kept in its heap by copying it when it grows, which holds the
// window's thread for as long as that copy takes, page faults of the new place included; a block
// in a mapping of its own is moved by remapping its pages instead, without a copy. The library
// raises the size from which it maps blocks after each large free, so without this a buffer of
// up to 32 MB is copied at every growth. Call it early, before the large allocations begin.
void keepLargeAllocationsMapped();
