/* The texts of string table entries 1 and 2, shared by the resource script
   and the tests that check them (entry 3, the upgrade warning, is a text of
   every face: firmware/shared_texts.h). Only #define lines: the resource
   compiler reads this file too. */
#ifndef KTX_RESOURCE_STRINGS_H
#define KTX_RESOURCE_STRINGS_H

/* 1: the restart question shown when the dialog is left after an upgrade. */
#define KTX_STRING_RESTART_PROMPT \
    "Updating complete!\nSystem will now reboot, press OK to reboot.\nPlease remove any diskette from bootable device(A:\\) and other bootable devices."

/* 2: a general warning; no operation shows it. */
#define KTX_STRING_CLOSE_APPLICATIONS \
    "WARNING!!\n\nSome permanent application or sofware may cause unsuccessful upgrade.\nPlease make sure to turn off all the application software before you run this firmware refresh tool.\n\nContinue ?"

#endif
