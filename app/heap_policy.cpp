// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/heap_policy.h"

#include <malloc.h>

namespace {

// The C library's own default for giving the top of the heap back.
const int defaultTrimThreshold = 128 * 1024;

} // namespace

void map_big_buffers() {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, defaultTrimThreshold);
}

void reuse_big_buffers() {
    // Frames of up to 1920 x 1280 decoded, and the trim kept above them.
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
}
