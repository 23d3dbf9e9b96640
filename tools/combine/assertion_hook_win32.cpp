// The one function that libstdc++'s headers call, with _GLIBCXX_ASSERTIONS,
// where a checked precondition fails (an index out of range); ktxcombine.exe
// links no libstdc++ to provide it. Ends the run with the failed condition.
#include <windows.h>

namespace std {

[[noreturn]] void __glibcxx_assert_fail(const char*, int, const char*, const char* condition) noexcept {
    FatalAppExitA(0, condition);
    ExitProcess(3);
}

}  // namespace std
