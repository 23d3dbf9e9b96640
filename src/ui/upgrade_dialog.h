#pragma once
// The program's one window: the drive selector, the status line, the
// progress bar and the Upgrade and Exit buttons. It owns the state the
// firmware operations share while it is open and routes the commands.

#include <cstdint>
#include <string>

#include "device_list.h"
#include "gui_contract.h"

class BufferAllocator;
class FileService;
class FirmwarePackage;
class SystemServices;

// The services the dialog and its commands use, wired by the entry point
// (Win32) or by a test (fakes).
struct DialogServices {
    GuiContract* gui = nullptr;
    SystemServices* system = nullptr;
    FileService* files = nullptr;
    BufferAllocator* memory = nullptr;
    // The firmware package the program carries (its marker test and the
    // image the upgrade sends).
    const FirmwarePackage* package = nullptr;
};

constexpr int kDialogTemplateId = 102;
constexpr int kAppIconId = 154;

class UpgradeDialog {
public:
    explicit UpgradeDialog(const DialogServices& services);
    ~UpgradeDialog();
    UpgradeDialog(const UpgradeDialog&) = delete;
    UpgradeDialog& operator=(const UpgradeDialog&) = delete;

    // Called by the GUI layer once the template's controls exist.
    bool OnInitDialog();
    // Path field <-> firmwarePath; toControls runs at initialisation,
    // the other direction when the dialog ends through OnOK.
    void DoDataExchange(bool toControls);
    // Command notifications (button clicks) by id; false when not routed.
    bool OnCommand(int id);
    // WM_PAINT: returns false when the platform's default processing must run.
    bool OnPaint();
    IconHandle OnQueryDragIcon() const { return icon; }
    // The base OnOK: data exchange towards the members, then end with IDOK.
    void OnOK();

    const DialogServices& services() const { return services_; }
    GuiContract& gui() const { return *services_.gui; }

    // Members shared with the firmware operations.
    const DeviceRecord* selectedDevice = nullptr;
    std::int32_t restartConfirmed = 0;
    std::uint8_t* readBuffer = nullptr;
    std::uint8_t* imageBuffer = nullptr;
    DeviceList devices;
    std::string firmwarePath;
    IconHandle icon = nullptr;
    std::int32_t restartNeeded = 0;
    std::int32_t progress = 0;

private:
    void OnExit();

    DialogServices services_;
    // True while a routed command (a firmware command or the exit handler)
    // runs; commands arriving meanwhile, through the nested loop of a
    // message box or the file dialog, are dropped.
    bool commandRunning_ = false;
};
