#include "support/failingnew.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_failingSize{0};

}  // namespace

void FailAllocationsOfSize(std::size_t bytes) { g_failingSize = bytes; }

void* operator new(std::size_t bytes) {
    if (bytes && bytes == g_failingSize) throw std::bad_alloc();
    if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }

void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
