#include "simulated_sg_devices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "simulated_sg_io.h"

namespace sgio_test {

std::size_t SimulatedSgDevices::List(sgio::DevicePath* paths, std::size_t capacity) {
    const std::size_t count = machine_.drives().size();
    std::size_t written = 0;
    for (; written < count && written < capacity; ++written)
        std::snprintf(paths[written].text, sizeof paths[written].text, "/dev/sg%zu", written);
    return written;
}

int SimulatedSgDevices::Open(const char* path, sgio::DeviceError& error) {
    error = refuseOpens_;
    if (error != sgio::DeviceError::None) return kNoHandle;
    char* end = nullptr;
    const bool named = std::strncmp(path, "/dev/sg", 7) == 0 && path[7] != '\0';
    const unsigned long index = named ? std::strtoul(path + 7, &end, 10) : 0;
    if (!named || *end != '\0' || index >= machine_.drives().size()) {
        error = sgio::DeviceError::NoSuchDevice;
        return kNoHandle;
    }
    const int handle = nextHandle_++;
    opened_[handle] = index;
    return handle;
}

sgio::DeviceError SimulatedSgDevices::Send(int handle, sgio::SgIoHeader& request) {
    const auto found = opened_.find(handle);
    if (found == opened_.end() || closes_.count(handle) != 0) return sgio::DeviceError::Other;  // EBADF
    if (failingSends_ > 0) {
        --failingSends_;
        return sendError_;
    }
    const int error = sim::AnswerSgIo(machine_.drives()[found->second], request, mayUseRawIo_);
    requests_.push_back(request);
    if (error == EPERM) return sgio::DeviceError::NotPermitted;
    return error == 0 ? sgio::DeviceError::None : sgio::DeviceError::Other;
}

void SimulatedSgDevices::Close(int handle) { ++closes_[handle]; }

}  // namespace sgio_test
