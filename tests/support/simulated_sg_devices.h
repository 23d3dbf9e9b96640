#pragma once
// SCSI generic devices for tests in one process: device N is drive N of a
// simulated machine, answered with the kernel's SG_IO rules. Records every
// open and close and the request headers it was sent, and can be told to
// refuse an open or to act for a process without CAP_SYS_RAWIO.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/scsi_generic_devices.h"
#include "simulated_machine.h"

namespace sgio_test {

class SimulatedSgDevices : public sgio::ScsiGenericDevices {
public:
    explicit SimulatedSgDevices(sim::SimulatedMachine& machine) : machine_(machine) {}

    // "/dev/sg0" .. one per drive of the machine.
    std::size_t List(sgio::DevicePath* paths, std::size_t capacity) override;
    int Open(const char* path, sgio::DeviceError& error) override;
    sgio::DeviceError Send(int handle, sgio::SgIoHeader& request) override;
    void Close(int handle) override;

    // Every later Open fails with `error` (None: opens succeed again).
    void RefuseOpens(sgio::DeviceError error) { refuseOpens_ = error; }
    void SetRawIo(bool mayUseRawIo) { mayUseRawIo_ = mayUseRawIo; }
    // The next `count` requests fail in the ioctl with `error`, reaching no drive.
    void FailSends(sgio::DeviceError error, int count) {
        sendError_ = error;
        failingSends_ = count;
    }

    // What StillThere answers; how often it was asked.
    void SetStillThere(bool there) { stillThere_ = there; }
    bool StillThere(const char*) override {
        ++presenceChecks_;
        return stillThere_;
    }
    int presenceChecks() const { return presenceChecks_; }

    // The headers of the requests that reached a drive, as it left them.
    const std::vector<sgio::SgIoHeader>& requests() const { return requests_; }
    // How often each handle was closed.
    const std::map<int, int>& closes() const { return closes_; }
    std::size_t openCount() const { return opened_.size(); }

private:
    sim::SimulatedMachine& machine_;
    sgio::DeviceError refuseOpens_ = sgio::DeviceError::None;
    bool mayUseRawIo_ = true;
    sgio::DeviceError sendError_ = sgio::DeviceError::None;
    int failingSends_ = 0;
    bool stillThere_ = true;
    int presenceChecks_ = 0;
    std::map<int, std::size_t> opened_;  // handle -> drive index
    std::map<int, int> closes_;
    std::vector<sgio::SgIoHeader> requests_;
    int nextHandle_ = 3;
};

}  // namespace sgio_test
