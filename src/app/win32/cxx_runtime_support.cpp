// What the shipped programs need of a C++ runtime, and nothing more: they are
// compiled without exceptions, RTTI and thread-safe statics and linked by the
// C driver, so libstdc++ (its exception and locale machinery, winpthreads)
// stays out of the file; cxx_library_hooks.cpp has what its headers expect.
// operator new and delete take memory from the process heap, which every
// Windows version has; a plain new that finds no memory ends the program, as
// an uncaught std::bad_alloc would (the program asks with std::nothrow).

#include <windows.h>

#include <cstddef>
#include <new>

namespace {

void* HeapBlock(std::size_t size) {
    // A zero-byte request still yields a distinct block.
    return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}

void ReleaseHeapBlock(void* block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

// Ends the program with `why` shown, for a failure it cannot go on from.
[[noreturn]] void EndProgram(const char* why) {
    FatalAppExitA(0, why);
    ExitProcess(3);
}

void* operator new(std::size_t size) {
    void* block = HeapBlock(size);
    if (block == nullptr) EndProgram("Out of memory.");
    return block;
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return HeapBlock(size); }

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return HeapBlock(size); }

void operator delete(void* block) noexcept { ReleaseHeapBlock(block); }
void operator delete[](void* block) noexcept { ReleaseHeapBlock(block); }
void operator delete(void* block, std::size_t) noexcept { ReleaseHeapBlock(block); }
void operator delete[](void* block, std::size_t) noexcept { ReleaseHeapBlock(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ReleaseHeapBlock(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ReleaseHeapBlock(block); }

// A call through a vtable slot that is still pure (from a constructor or
// destructor of an abstract class) is a programming error.
extern "C" void __cxa_pure_virtual() { EndProgram("Pure virtual function called."); }
