#pragma once
// The NT storage stack as the pass-through transport meets it, over a
// simulated machine: drive-letter volumes (the machine's optical drives that
// have a letter, its hard disks, nothing elsewhere), the registry's SCSI
// device map, and the two SCSI pass-through control codes (see
// pass_through_service.h for how they are interpreted and refused).
//
// Every call is recorded as received, so tests can compare what the
// transport sent byte for byte: each open (name, access, sharing, result),
// each control call (handle, code, lengths, buffer addresses, the input's
// header bytes, result) and each close.
//
// Rules of the platform it keeps:
// - Volume names are "\\.\X:"; a letter without a volume, or any other
//   name, fails with "file not found".
// - On Windows 2000 and later the two control codes need a handle opened
//   for reading and writing; NT 4.0 let a read-only handle through
//   (SetPassThroughNeedsReadWrite(false)).
// - A user without the rights to open volumes for writing
//   (SetWriteAccessAllowed(false)) is denied every open that asks for it.
// - A hard-disk volume answers INQUIRY with peripheral type 0 (a disk).
// Single-threaded: the transport calls it from one thread.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "hard_disk_target.h"

#include "pass_through_service.h"

#include "simulated_machine.h"

#include "platform/volume_service.h"

namespace sim {

class SimulatedNtStorage : public platform::VolumeService {
public:
    struct VolumeOpen {
        std::string name;
        std::uint32_t access = 0;
        std::uint32_t sharing = 0;
        platform::VolumeHandle handle = platform::kInvalidVolumeHandle;
        std::uint32_t error = 0;
    };
    struct ControlCall {
        platform::VolumeHandle handle = 0;
        std::uint32_t code = 0;
        const void* in = nullptr;
        std::uint32_t inLength = 0;
        const void* out = nullptr;
        std::uint32_t outLength = 0;
        // The input's first bytes as they arrived: the header of the code's
        // record form, or fewer when the input was shorter.
        std::vector<std::uint8_t> header;
        int result = 0;
        std::uint32_t error = 0;
        bool reachedTarget = false;
        std::uint8_t scsiStatus = 0;
    };
    struct VolumeClose {
        platform::VolumeHandle handle = 0;
        int result = 0;
    };

    // The device map starts present, with one subkey per adapter of the
    // machine (as it is when the map is read).
    explicit SimulatedNtStorage(SimulatedMachine& machine);

    // The device map key: present with `count` subkeys, missing, or present
    // but refusing the query.
    void SetScsiPortCount(std::uint32_t count);
    void RemoveDeviceMap();
    void MakeDeviceMapUnreadable();
    void SetPassThroughNeedsReadWrite(bool needed) { passThroughNeedsReadWrite_ = needed; }
    void SetWriteAccessAllowed(bool allowed) { writeAccessAllowed_ = allowed; }
    void SetHonourLatency(bool honour) { service_.SetHonourLatency(honour); }
    // Whether locking a volume fails as when another program has files open on it.
    void SetVolumeLockRefused(bool refused) { volumeLockRefused_ = refused; }

    platform::VolumeHandle OpenVolume(const char* name, std::uint32_t access, std::uint32_t sharing) override;
    int DeviceIoControl(platform::VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength,
                        void* out, std::uint32_t outLength) override;
    int CloseVolume(platform::VolumeHandle handle) override;
    platform::DeviceMapResult ReadScsiDeviceMap(std::uint32_t& subkeyCount) override;

    const std::vector<VolumeOpen>& opens() const { return opens_; }
    const std::vector<ControlCall>& calls() const { return calls_; }
    const std::vector<VolumeClose>& closes() const { return closes_; }
    int deviceMapReads() const { return deviceMapReads_; }
    // Handles opened and not closed yet.
    std::size_t openHandleCount() const { return handles_.size(); }
    // The error code of the latest call (nt_error), 0 when it succeeded.
    std::uint32_t lastError() const { return lastError_; }
    std::uint32_t LastError() override { return lastError_; }
    void ClearRecords();

private:
    bool volumeLockRefused_ = false;
    enum class DeviceMap { Present, Missing, Unreadable };
    struct OpenHandle {
        char letter;
        std::uint32_t access;
    };

    // The target behind a volume letter; null when there is no volume.
    ScsiTarget* TargetAt(char letter);
    bool DriveGone(char letter);
    int Fail(std::uint32_t error);

    SimulatedMachine& machine_;
    HardDiskTarget hardDisk_;
    PassThroughService service_;
    DeviceMap deviceMap_ = DeviceMap::Present;
    std::uint32_t scsiPorts_ = 0;
    bool scsiPortsSet_ = false;  // otherwise one port per adapter of the machine
    bool passThroughNeedsReadWrite_ = true;
    bool writeAccessAllowed_ = true;

    std::map<platform::VolumeHandle, OpenHandle> handles_;
    platform::VolumeHandle nextHandle_ = 0x100;
    std::vector<VolumeOpen> opens_;
    std::vector<ControlCall> calls_;
    std::vector<VolumeClose> closes_;
    int deviceMapReads_ = 0;
    std::uint32_t lastError_ = 0;
};

}  // namespace sim
