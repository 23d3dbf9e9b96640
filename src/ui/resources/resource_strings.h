/* The texts of string table entries 1 to 3, shared by the resource script
   and the test that checks them. Only #define lines: the resource compiler
   reads this file too. */
#ifndef KTX_RESOURCE_STRINGS_H
#define KTX_RESOURCE_STRINGS_H

/* 1: the restart question shown when the dialog is left after an upgrade. */
#define KTX_STRING_RESTART_PROMPT \
    "Updating complete!\nSystem will now reboot, press OK to reboot.\nPlease remove any diskette from bootable device(A:\\) and other bootable devices."

/* 2: a general warning; no operation shows it. */
#define KTX_STRING_CLOSE_APPLICATIONS \
    "WARNING!!\n\nSome permanent application or sofware may cause unsuccessful upgrade.\nPlease make sure to turn off all the application software before you run this firmware refresh tool.\n\nContinue ?"

/* 3: the first confirmation of the upgrade. */
#define KTX_STRING_UPGRADE_CONFIRMATION \
    "1.Please remove any media from the device.\n\n2.Please DO NOT turn off power while updating.\n\n3.Please ensure the device is properly installed and DO NOT remove the device while updating.\n\n4.Please ensure all current applications are terminated before proceed updating."

#endif
