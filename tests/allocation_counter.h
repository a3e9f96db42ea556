// A counting replacement of the global operator new and delete, for the tests that prove
// the simulation loop allocates nothing. Include it in exactly one file of a test program:
// the replacement holds for the whole program, and counts only inside AllocationsDuring.
#pragma once

#include <cstdlib>
#include <new>

namespace allocation_counter {
inline bool counting = false;
inline long allocations = 0;

inline void* Allocate(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

// The number of allocations made while `work` runs.
template <class Work> long AllocationsDuring(Work&& work)
{
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}
}  // namespace allocation_counter

void* operator new(std::size_t size) { return allocation_counter::Allocate(size); }
void* operator new[](std::size_t size) { return allocation_counter::Allocate(size); }
// The nothrow forms too (std::stable_sort's buffer uses them), so that every block this
// program frees with the replaced delete came from a replaced new.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (allocation_counter::counting)
        ++allocation_counter::allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
