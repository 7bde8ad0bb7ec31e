// Replaces the C allocator by glibc's interposition rules (an executable's malloc
// wins over libc's) and the global operators new and delete, counting every
// allocation before handing it to glibc's own allocator.
#include "counting_alloc.h"

#include <stddef.h>

#include <atomic>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

std::atomic<uint64_t> Allocations{0};

void Count() {
    Allocations.fetch_add(1, std::memory_order_relaxed);
}

void* NewBlock(size_t size) {
    Count();
    void* block = __libc_malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* NewAlignedBlock(size_t size, std::align_val_t alignment) {
    Count();
    void* block = __libc_memalign(static_cast<size_t>(alignment), size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

}  // namespace

uint64_t HeapAllocationCount() {
    return Allocations.load(std::memory_order_relaxed);
}

extern "C" {

void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    Count();
    return __libc_realloc(block, size);
}

void* memalign(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

void free(void* block) {
    __libc_free(block);
}

}  // extern "C"

void* operator new(size_t size) { return NewBlock(size); }
void* operator new[](size_t size) { return NewBlock(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    Count();
    return __libc_malloc(size != 0 ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    Count();
    return __libc_malloc(size != 0 ? size : 1);
}
void* operator new(size_t size, std::align_val_t alignment) { return NewAlignedBlock(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) {
    return NewAlignedBlock(size, alignment);
}
void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
