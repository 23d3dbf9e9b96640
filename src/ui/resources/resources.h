/* The numbers of the program's resources and of the dialog's controls, and
   the texts of string table entries 1 and 2 (entry 3, the upgrade warning,
   is a text of every face: firmware/shared_texts.h). Read by the resource
   script, by the dialog (ui/dialog_window.h names the numbers), by the
   Windows entry points and by the tests that check the texts.
   Only #define lines: the resource compiler reads this file too. */
#ifndef KTX_RESOURCES_H
#define KTX_RESOURCES_H

/* The dialog template and the application icon. */
#define KTX_IDD_UPGRADE_DIALOG 102
#define KTX_IDI_APPLICATION 154

/* String table entries. */
#define KTX_IDS_RESTART_PROMPT 1
#define KTX_IDS_CLOSE_APPLICATIONS 2
#define KTX_IDS_UPGRADE_CONFIRMATION 3

/* 1: the restart question shown when the dialog is left after an upgrade. */
#define KTX_STRING_RESTART_PROMPT \
    "Updating complete!\nSystem will now reboot, press OK to reboot.\nPlease remove any diskette from bootable device(A:\\) and other bootable devices."

/* 2: a general warning; no operation shows it. */
#define KTX_STRING_CLOSE_APPLICATIONS \
    "WARNING!!\n\nSome permanent application or sofware may cause unsuccessful upgrade.\nPlease make sure to turn off all the application software before you run this firmware refresh tool.\n\nContinue ?"

/* Controls of the dialog template. */
#define KTX_IDC_DEVICE_SELECTOR 1000
#define KTX_IDC_PROGRESS_BAR 1001
#define KTX_IDC_PATH_FIELD 1002
#define KTX_IDC_STATUS_LINE 1004
#define KTX_IDC_SAVE_BUTTON 1009
#define KTX_IDC_UPGRADE_BUTTON 1010
#define KTX_IDC_EXIT_BUTTON 1011
#define KTX_IDC_BROWSE_BUTTON 1014

#endif
