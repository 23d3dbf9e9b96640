#pragma once
// The Linux SCSI generic request header (struct sg_io_hdr) laid out as
// <scsi/sg.h> publishes it, defined without Linux headers so the request
// rules build and are tested everywhere. On Linux, sg_io_layout_check.cpp
// proves at compile time that size, alignment and every offset agree with
// the system header.

#include <cstdint>

namespace sgio {

// ioctl request number of SG_IO.
constexpr unsigned long kSgIo = 0x2285;
// interface_id of every request: 'S' for SCSI generic.
constexpr int kInterfaceId = 'S';

// Values of dxfer_direction.
constexpr int kDxferNone = -1;     // SG_DXFER_NONE: no data phase
constexpr int kDxferToDev = -2;    // SG_DXFER_TO_DEV: data out
constexpr int kDxferFromDev = -3;  // SG_DXFER_FROM_DEV: data in

struct SgIoHeader {
    int interface_id;
    int dxfer_direction;
    unsigned char cmd_len;
    unsigned char mx_sb_len;
    unsigned short iovec_count;
    unsigned int dxfer_len;
    void* dxferp;
    unsigned char* cmdp;
    unsigned char* sbp;
    unsigned int timeout;  // milliseconds
    unsigned int flags;
    int pack_id;
    void* usr_ptr;
    unsigned char status;         // SCSI status byte as the device returned it
    unsigned char masked_status;
    unsigned char msg_status;
    unsigned char sb_len_wr;      // sense bytes written
    unsigned short host_status;   // host adapter status (DID_*)
    unsigned short driver_status; // driver status (DRIVER_*)
    int resid;
    unsigned int duration;
    unsigned int info;
};

}  // namespace sgio
