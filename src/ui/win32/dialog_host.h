#pragma once
// Runs the program's dialog modally from template 102 of the program's own
// module, with no owner window, and routes its window messages to the
// UpgradeDialog.

class UpgradeDialog;
class Win32Gui;

// `gui` must be the window service the dialog works with: it is bound to the
// dialog window while the dialog is open. Returns the value the dialog
// ended with (IDOK from the exit handler), or -1 when the dialog cannot be
// created (the template is missing or a control class is not registered).
int RunDialogModal(UpgradeDialog& dialog, Win32Gui& gui);
