// Heap calls of the whole process, counted: malloc, calloc, realloc, memalign and
// every global operator new (counting_alloc.cpp replaces them in the benchmark).
#pragma once

#include <stdint.h>

uint64_t HeapAllocationCount();
