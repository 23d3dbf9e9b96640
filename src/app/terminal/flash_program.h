#pragma once
// The run of ktxflash over the firmware operations: list the drives, show
// the embedded package, upgrade one drive (after a backup of its firmware),
// save its firmware, or compare it with the image. The same
// operations, texts and checks as the dialog program; what differs is the
// face (printed lines and terminal questions) and that the drive is named
// on the command line. Platform-free: the devices come through FlashDevices.

#include <cstdio>

#include "app/terminal/flash_conventions.h"
#include "app/terminal/terminal_face.h"
#include "device/device_list.h"
#include "device/scsi_transport.h"
#include "firmware/firmware_package.h"
#include "platform/buffer_allocator.h"
#include "platform/fixed_text.h"
#include "platform/interrupt_guard.h"
#include "platform/power_source.h"
#include "platform/system_services.h"
#include "platform/wait_timer.h"

namespace terminal {

// The drives of one platform, reached through its transport.
class FlashDevices {
public:
    virtual ~FlashDevices() = default;
    virtual ScsiTransport& transport() = 0;
    // Every drive of the system into `list`. When there is none, `why`
    // says why: what keeps the system from showing any, or where ktxflash
    // looked and what answered.
    virtual void ListAll(DeviceList& list, TextBuffer& why) = 0;
    // The drive `name` names into `list`: true when it was appended; else
    // `why` says what is wrong with it.
    virtual bool Find(const char* name, DeviceList& list, TextBuffer& why) = 0;
    // The name a record is known by: what --list shows first and DEVICE takes.
    virtual void AppendName(const DeviceRecord& record, TextBuffer& out) = 0;
    // Whether opening a drive claims it for this program alone (the upgrade:
    // nobody else on the drive during the download).
    virtual void OpenExclusively(bool exclusive) = 0;
    // Whether this process may send firmware commands to `record`'s drive;
    // when not, `why` says so in the words the refused command would get.
    virtual bool MaySendFirmware(const DeviceRecord& record, TextBuffer& why) = 0;
    // Whether the system passes a whole 16 KiB block to `record`'s drive in
    // one command; when not, `why` names the limit and where it comes from.
    virtual bool TakesWholeBlocks(const DeviceRecord& record, TextBuffer& why) = 0;
};

struct FlashServices {
    FlashDevices& devices;
    SystemServices& system;
    // Holds off interruptions while firmware goes to the drive; may be null.
    InterruptGuard* interrupts;
    BufferAllocator& memory;
    const FirmwarePackage& package;
    std::FILE* out;  // the session
    std::FILE* err;  // one-line errors
    std::FILE* in;   // answers to the questions
    bool outIsTerminal;
    bool inIsTerminal;
    // Whether the system runs on battery; null: not looked at.
    PowerSource* power;
    // The system's help text and how a printed command reads there.
    const FlashConventions& conventions;
    // Times each command for the notice that the drive is slow to answer;
    // null: nothing is said.
    WaitTimer* waitTimer = nullptr;
};

// Runs the command line `args` (`count` of them); `programName` is the
// program as it was started (argv[0], shown in the commands ktxflash
// prints; null or empty: "ktxflash"). The exit status
// (app/terminal/flash_outcome.h): 0 success, 1 firmware sent and the
// upgrade failed, 2 malformed command line, 3 any other failure or refusal,
// 4 --verify found differences.
int RunFlashProgram(const char* programName, int count, const char* const* args, FlashServices& services);

}  // namespace terminal
