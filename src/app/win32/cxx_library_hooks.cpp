// Without libstdc++ in the link (KTX_NO_CXX_RUNTIME), the few things its
// headers expect from the library: the std::nothrow tag object and the
// functions its inline code calls where it would throw (bounds and length
// checks). Built without exceptions, such a call ends the program
// (EndProgram, cxx_runtime_support.cpp, linked beside this file). Linked
// only into a program without libstdc++: with the library these come from
// it, and a second definition would clash.

#include <new>

[[noreturn]] void EndProgram(const char* why);

namespace std {
const nothrow_t nothrow{};

void __throw_bad_alloc() { EndProgram("Out of memory."); }
void __throw_bad_array_new_length() { EndProgram("Out of memory."); }
void __throw_length_error(const char* what) { EndProgram(what); }
void __throw_logic_error(const char* what) { EndProgram(what); }
void __throw_out_of_range(const char* what) { EndProgram(what); }
void __throw_out_of_range_fmt(const char* what, ...) { EndProgram(what); }
void __throw_invalid_argument(const char* what) { EndProgram(what); }
}  // namespace std
