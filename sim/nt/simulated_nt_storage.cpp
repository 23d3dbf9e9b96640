#include "simulated_nt_storage.h"


#include <algorithm>
#include <cctype>
#include <cstring>

#include "nt_errors.h"

#include "platform/pass_through_records.h"

namespace sim {
namespace {

// "\\.\X:" names the volume of drive letter X (either case); 0 otherwise.
char VolumeLetter(const char* name) {
    if (std::strlen(name) != 6 || std::strncmp(name, "\\\\.\\", 4) != 0 || name[5] != ':') return 0;
    const unsigned char letter = static_cast<unsigned char>(name[4]);
    if (!std::isalpha(letter)) return 0;
    return static_cast<char>(std::toupper(letter));
}

std::size_t HeaderSizeOf(std::uint32_t code) {
    if (code == passthrough::kIoctlScsiPassThrough) return sizeof(passthrough::ScsiPassThrough);
    if (code == passthrough::kIoctlScsiPassThroughDirect) return sizeof(passthrough::ScsiPassThroughDirect);
    return 0;
}

}  // namespace

SimulatedNtStorage::SimulatedNtStorage(SimulatedMachine& machine)
    : machine_(machine) {}

void SimulatedNtStorage::SetScsiPortCount(std::uint32_t count) {
    deviceMap_ = DeviceMap::Present;
    scsiPorts_ = count;
    scsiPortsSet_ = true;
}

void SimulatedNtStorage::RemoveDeviceMap() { deviceMap_ = DeviceMap::Missing; }

void SimulatedNtStorage::MakeDeviceMapUnreadable() { deviceMap_ = DeviceMap::Unreadable; }

int SimulatedNtStorage::Fail(std::uint32_t error) {
    lastError_ = error;
    return 0;
}

ScsiTarget* SimulatedNtStorage::TargetAt(char letter) {
    if (SimulatedDrive* drive = machine_.DriveAtLetter(letter)) return drive;
    if (machine_.IsHardDisk(letter)) return &hardDisk_;
    return nullptr;
}

// A drive that has vanished (removed, powered off) no longer has a volume.
bool SimulatedNtStorage::DriveGone(char letter) {
    const SimulatedDrive* drive = machine_.DriveAtLetter(letter);
    return drive != nullptr && drive->vanished();
}

platform::VolumeHandle SimulatedNtStorage::OpenVolume(const char* name, std::uint32_t access,
                                                      std::uint32_t sharing) {
    VolumeOpen open;
    open.name = name != nullptr ? name : "";
    open.access = access;
    open.sharing = sharing;
    const char letter = name != nullptr ? VolumeLetter(name) : 0;
    if (name == nullptr) {
        open.error = nt_error::kInvalidParameter;
    } else if (letter == 0 || TargetAt(letter) == nullptr || DriveGone(letter)) {
        open.error = nt_error::kFileNotFound;
    } else if ((access & platform::kGenericWrite) != 0 && !writeAccessAllowed_) {
        open.error = nt_error::kAccessDenied;
    } else {
        open.handle = nextHandle_;
        nextHandle_ += 4;
        handles_[open.handle] = OpenHandle{letter, access};
    }
    lastError_ = open.error;
    opens_.push_back(open);
    return open.handle;
}

int SimulatedNtStorage::DeviceIoControl(platform::VolumeHandle handle, std::uint32_t code, void* in,
                                        std::uint32_t inLength, void* out, std::uint32_t outLength) {
    calls_.emplace_back();
    ControlCall& call = calls_.back();
    call.handle = handle;
    call.code = code;
    call.in = in;
    call.inLength = inLength;
    call.out = out;
    call.outLength = outLength;
    if (in != nullptr) {
        const auto* bytes = static_cast<const std::uint8_t*>(in);
        call.header.assign(bytes, bytes + std::min<std::size_t>(inLength, HeaderSizeOf(code)));
    }
    auto finish = [&](const PassThroughOutcome& outcome) {
        call.result = outcome.result;
        call.error = outcome.error;
        call.reachedTarget = outcome.reachedTarget;
        call.scsiStatus = outcome.scsiStatus;
        lastError_ = outcome.error;
        return outcome.result;
    };
    auto refuse = [&](std::uint32_t error) {
        PassThroughOutcome outcome;
        outcome.error = error;
        return finish(outcome);
    };

    const auto found = handles_.find(handle);
    if (found == handles_.end()) return refuse(nt_error::kInvalidHandle);
    if (code == passthrough::kFsctlLockVolume || code == passthrough::kFsctlDismountVolume) {
        if (volumeLockRefused_) return refuse(nt_error::kAccessDenied);
        PassThroughOutcome done;
        done.result = 1;
        return finish(done);
    }
    if (HeaderSizeOf(code) == 0) return refuse(nt_error::kInvalidFunction);
    if ((in == nullptr && inLength != 0) || (out == nullptr && outLength != 0)) return refuse(nt_error::kNoAccess);
    const std::uint32_t readWrite = platform::kGenericRead | platform::kGenericWrite;
    if (passThroughNeedsReadWrite_ && (found->second.access & readWrite) != readWrite)
        return refuse(nt_error::kAccessDenied);
    ScsiTarget* target = TargetAt(found->second.letter);
    if (target == nullptr) return refuse(nt_error::kIoDevice);
    return finish(service_.Handle(code, in, inLength, out, outLength, *target));
}

int SimulatedNtStorage::CloseVolume(platform::VolumeHandle handle) {
    const bool open = handles_.erase(handle) != 0;
    closes_.push_back(VolumeClose{handle, open ? 1 : 0});
    if (!open) return Fail(nt_error::kInvalidHandle);
    lastError_ = nt_error::kSuccess;
    return 1;
}

platform::DeviceMapResult SimulatedNtStorage::ReadScsiDeviceMap(std::uint32_t& subkeyCount) {
    ++deviceMapReads_;
    switch (deviceMap_) {
    case DeviceMap::Missing:
        lastError_ = nt_error::kFileNotFound;
        return platform::DeviceMapResult::OpenFailed;
    case DeviceMap::Unreadable:
        lastError_ = nt_error::kAccessDenied;
        return platform::DeviceMapResult::QueryFailed;
    case DeviceMap::Present:
        break;
    }
    lastError_ = nt_error::kSuccess;
    subkeyCount = scsiPortsSet_ ? scsiPorts_ : static_cast<std::uint32_t>(machine_.adapters().size());
    return platform::DeviceMapResult::Ok;
}

void SimulatedNtStorage::ClearRecords() {
    opens_.clear();
    calls_.clear();
    closes_.clear();
    deviceMapReads_ = 0;
}

}  // namespace sim
