#pragma once
// Ctrl+C and Ctrl+Break in the console wait while firmware goes to the
// drive (an interrupted download can leave the drive unusable): a console
// control handler that swallows them between BeginDownload and EndDownload.

#include "app/terminal/terminal_gui.h"

class ConsoleBreakGuard : public terminal::DownloadGuard {
public:
    ~ConsoleBreakGuard() override { EndDownload(); }
    void BeginDownload() override;
    void EndDownload() override;

private:
    bool installed_ = false;
};
