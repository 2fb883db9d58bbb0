// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the C library serves the big buffers that pictures pass through. GUI thread.

// Each big buffer gets a mapping of its own, returned to the system when freed. A series
// allocates and frees buffers of a megabyte or more shot after shot, for hours; served from the
// heap, they would leave holes that grow it.
void map_big_buffers();

// Big buffers come from the heap and stay there. Live view needs the same few sizes thirty times
// a second, and every fresh mapping costs a page fault for each 4 KB written to it.
void reuse_big_buffers();
