/* The numbers of the program's resources and of the dialog's controls, read
   by the resource script, by the dialog (ui/dialog_window.h names them) and
   by the Windows entry points.
   Only #define lines: the resource compiler reads this file too. */
#ifndef KTX_RESOURCE_IDS_H
#define KTX_RESOURCE_IDS_H

/* The dialog template and the application icon. */
#define KTX_IDD_UPGRADE_DIALOG 102
#define KTX_IDI_APPLICATION 154

/* String table entries. */
#define KTX_IDS_RESTART_PROMPT 1
#define KTX_IDS_CLOSE_APPLICATIONS 2
#define KTX_IDS_UPGRADE_CONFIRMATION 3

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
