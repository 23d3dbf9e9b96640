#include "app/operation_commands.h"

#include "firmware/firmware_file_commands.h"
#include "firmware/upgrade_procedure.h"

void OperationCommands::Upgrade(FirmwareState& state) { RunUpgrade(context_, state); }

void OperationCommands::Save(FirmwareState& state) { RunSave(context_, state); }

void OperationCommands::Browse(FirmwareState& state) { RunBrowse(context_, state); }
