#include "app/terminal/windows_flash_devices.h"

#include "firmware/upgrade_procedure.h"
#include "platform/ascii_case.h"

WindowsFlashDevices::WindowsFlashDevices(SystemServices& system, TransportFactory& transports) {
    version_.dwOSVersionInfoSize = sizeof version_;
    versionRead_ = system.QueryVersion(version_) != 0 && version_.dwPlatformId != kPlatformWin32s;
    if (versionRead_) transport_ = MakePlatformTransport(version_, transports);
}

bool WindowsFlashDevices::Ready(TextBuffer& why) const {
    if (!versionRead_) {
        why.Assign(kInitFailedText);
        return false;
    }
    if (!transport_ || transport_->initOk == 0) {
        why.Assign(version_.dwPlatformId == kPlatformNt ? kNtInitFailedText : kAspiInitFailedText);
        return false;
    }
    return true;
}

void WindowsFlashDevices::ListAll(DeviceList& list, TextBuffer& why) {
    if (!Ready(why)) return;
    transport_->Enumerate(list);
    if (list.Count() > 0) return;
    // Which way the drives were looked for, since each system has its own.
    why.Assign(version_.dwPlatformId == kPlatformNt
                   ? "no CD/DVD drive answered through the NT SCSI pass-through on the drive letters (an "
                     "administrator's console may be needed)"
                   : "no CD/DVD drive answered through ASPI for Win32 (wnaspi32.dll) on any host adapter");
}

bool WindowsFlashDevices::Find(const char* name, DeviceList& list, TextBuffer& why) {
    if (!Ready(why)) return false;
    DeviceList all;
    transport_->Enumerate(all);
    for (int i = 0; i < all.Count(); ++i) {
        const DeviceRecord& record = *all.RecordAt(i);
        PathText recordName;
        AppendName(record, recordName);
        // "e:", "E:" and "E" all name drive E.
        const bool letterOnly = record.driveLetter != 0 && name[0] != '\0' && name[1] == '\0';
        const bool same = letterOnly ? AsciiUpper(name[0]) == record.driveLetter : SameIgnoringAsciiCase(name, recordName.c_str());
        if (same) {
            list.Append(record);
            if (list.Count() > 0) return true;
            why.Assign("no memory for the drive's record");
            return false;
        }
    }
    why.Format("%s (no CD/DVD drive of that name; see --list)", kNoDeviceText);
    return false;
}

void WindowsFlashDevices::AppendName(const DeviceRecord& record, TextBuffer& out) {
    if (record.driveLetter != 0)
        out.AppendFormat("%c:", record.driveLetter);
    else
        out.AppendFormat("%u:%u", static_cast<unsigned>(record.hostAdapter), static_cast<unsigned>(record.targetId));
}
