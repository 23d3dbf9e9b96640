#pragma once
// The two commands around a firmware file: browse (button 1014) picks a
// ".bin" file name into the dialog's firmwarePath; save (button 1009) reads
// the firmware of the drive chosen in the device selector and writes it to
// that file, exactly imageSize bytes, nothing else. Both do nothing while
// another firmware command of the dialog runs.

class ScsiTransport;
class UpgradeDialog;

void RunBrowse(UpgradeDialog& dialog);
void RunSave(UpgradeDialog& dialog, ScsiTransport& transport);
