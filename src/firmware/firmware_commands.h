#pragma once
// The dialog's firmware commands: what the Upgrade (1010), Save (1009) and
// browse (1014) buttons run. Each takes the dialog whose controls and
// shared members it works on and reports its outcome there. Upgrade and
// Save reach the drive through the program-wide transport; Upgrade also
// takes the program-wide version-check mask and the dialog's package.
//
// While one of these commands runs (for instance while a confirmation box,
// which has no owner window, is open), a click on any of them does nothing.

class UpgradeDialog;

void RunUpgradeCommand(UpgradeDialog& dialog);
void RunSaveCommand(UpgradeDialog& dialog);
void RunBrowseCommand(UpgradeDialog& dialog);
