/* The texts of the upgrade's questions that every face shows the same way:
   the dialog from its string table (the resource script takes the warning
   as entry 3 from here), the terminal directly. Only #define lines: the
   resource compiler reads this file too. */
#ifndef KTX_SHARED_TEXTS_H
#define KTX_SHARED_TEXTS_H

/* The first confirmation of the upgrade. */
#define KTX_TEXT_UPGRADE_WARNING \
    "1.Please remove any media from the device.\n\n2.Please DO NOT turn off power while updating.\n\n3.Please ensure the device is properly installed and DO NOT remove the device while updating.\n\n4.Please ensure all current applications are terminated before proceed updating."

/* The caption (the heading on a terminal) of both confirmations. */
#define KTX_TEXT_WARNING_CAPTION "WARNING"

#endif
