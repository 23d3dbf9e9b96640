// Without libstdc++ in the link (KTX_NO_CXX_RUNTIME), the few things its
// headers expect from the library: the std::nothrow tag object and the
// functions its inline code calls where it would throw (bounds and length
// checks). Built without exceptions, such a call ends the program. Linked
// only into a program without libstdc++: with the library these come from
// it, and a second definition would clash.

#include <windows.h>

#include <new>

namespace std {
const nothrow_t nothrow{};

namespace {
[[noreturn]] void EndOnLibraryError(const char* what) {
    FatalAppExitA(0, what);
    ExitProcess(3);
}
}  // namespace

void __throw_bad_alloc() { EndOnLibraryError("Out of memory."); }
void __throw_bad_array_new_length() { EndOnLibraryError("Out of memory."); }
void __throw_length_error(const char* what) { EndOnLibraryError(what); }
void __throw_logic_error(const char* what) { EndOnLibraryError(what); }
void __throw_out_of_range(const char* what) { EndOnLibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { EndOnLibraryError(what); }
void __throw_invalid_argument(const char* what) { EndOnLibraryError(what); }
}  // namespace std
