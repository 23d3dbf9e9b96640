// Nothing here runs: the build fails unless SgIoHeader, the request number
// and the direction values agree with <scsi/sg.h>.

#include <scsi/sg.h>

#include <cstddef>

#include "platform/sg_io_header.h"

namespace {

using sgio::SgIoHeader;

#define KTX_SAME_SG_FIELD(field)                                                            \
    static_assert(offsetof(SgIoHeader, field) == offsetof(sg_io_hdr_t, field), #field " offset"); \
    static_assert(sizeof(SgIoHeader::field) == sizeof(sg_io_hdr_t::field), #field " size")

static_assert(sizeof(SgIoHeader) == sizeof(sg_io_hdr_t), "sg_io_hdr size");
static_assert(alignof(SgIoHeader) == alignof(sg_io_hdr_t), "sg_io_hdr alignment");
KTX_SAME_SG_FIELD(interface_id);
KTX_SAME_SG_FIELD(dxfer_direction);
KTX_SAME_SG_FIELD(cmd_len);
KTX_SAME_SG_FIELD(mx_sb_len);
KTX_SAME_SG_FIELD(iovec_count);
KTX_SAME_SG_FIELD(dxfer_len);
KTX_SAME_SG_FIELD(dxferp);
KTX_SAME_SG_FIELD(cmdp);
KTX_SAME_SG_FIELD(sbp);
KTX_SAME_SG_FIELD(timeout);
KTX_SAME_SG_FIELD(flags);
KTX_SAME_SG_FIELD(pack_id);
KTX_SAME_SG_FIELD(usr_ptr);
KTX_SAME_SG_FIELD(status);
KTX_SAME_SG_FIELD(masked_status);
KTX_SAME_SG_FIELD(msg_status);
KTX_SAME_SG_FIELD(sb_len_wr);
KTX_SAME_SG_FIELD(host_status);
KTX_SAME_SG_FIELD(driver_status);
KTX_SAME_SG_FIELD(resid);
KTX_SAME_SG_FIELD(duration);
KTX_SAME_SG_FIELD(info);

static_assert(sgio::kSgIo == SG_IO, "SG_IO request number");
static_assert(sgio::kInterfaceId == 'S', "interface id");
static_assert(sgio::kDxferNone == SG_DXFER_NONE, "SG_DXFER_NONE");
static_assert(sgio::kDxferToDev == SG_DXFER_TO_DEV, "SG_DXFER_TO_DEV");
static_assert(sgio::kDxferFromDev == SG_DXFER_FROM_DEV, "SG_DXFER_FROM_DEV");

}  // namespace
