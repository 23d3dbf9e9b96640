#pragma once
// The Win32 error codes the simulated NT storage stack reports for a failed
// call (what GetLastError would return on the real system), so tests can
// tell which rule refused a request.

#include <cstdint>

namespace sim {
namespace nt_error {

constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kInvalidFunction = 1;     // ERROR_INVALID_FUNCTION: unknown control code
constexpr std::uint32_t kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND: no such volume
constexpr std::uint32_t kAccessDenied = 5;        // ERROR_ACCESS_DENIED
constexpr std::uint32_t kInvalidHandle = 6;       // ERROR_INVALID_HANDLE
constexpr std::uint32_t kInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
constexpr std::uint32_t kSemTimeout = 121;        // ERROR_SEM_TIMEOUT: the command's time-out expired
constexpr std::uint32_t kNoAccess = 998;          // ERROR_NOACCESS: a buffer that cannot be reached
constexpr std::uint32_t kIoDevice = 1117;         // ERROR_IO_DEVICE: the device did not answer
constexpr std::uint32_t kRevisionMismatch = 1306; // ERROR_REVISION_MISMATCH: header Length wrong

}  // namespace nt_error
}  // namespace sim
