// What the machine has of memory, for budgets that refuse a result which
// could never fit.
#pragma once

// The physical memory in bytes, or 0 where the platform cannot tell.
double physicalMemoryBytes();
