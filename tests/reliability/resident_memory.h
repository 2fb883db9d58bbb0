// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The process's resident set size in KiB (VmRSS in /proc/self/status), or -1.
long resident_kib();
