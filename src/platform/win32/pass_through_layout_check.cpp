// Nothing here runs: the build fails unless the pass-through records, the
// control codes and the direction values agree with <ntddscsi.h>.

#include <windows.h>

#include <ntddscsi.h>

#include <cstddef>

#include "platform/pass_through_records.h"

namespace {

using passthrough::ScsiPassThrough;
using passthrough::ScsiPassThroughDirect;

#define KTX_SAME_FIELD(Ours, Theirs, field)                                             \
    static_assert(offsetof(Ours, field) == offsetof(Theirs, field), #field " offset"); \
    static_assert(sizeof(Ours::field) == sizeof(Theirs::field), #field " size")

#define KTX_SAME_HEADER(Ours, Theirs, pointerField)                       \
    static_assert(sizeof(Ours) == sizeof(Theirs), #Theirs " size");       \
    static_assert(alignof(Ours) == alignof(Theirs), #Theirs " alignment"); \
    KTX_SAME_FIELD(Ours, Theirs, Length);                                 \
    KTX_SAME_FIELD(Ours, Theirs, ScsiStatus);                             \
    KTX_SAME_FIELD(Ours, Theirs, PathId);                                 \
    KTX_SAME_FIELD(Ours, Theirs, TargetId);                               \
    KTX_SAME_FIELD(Ours, Theirs, Lun);                                    \
    KTX_SAME_FIELD(Ours, Theirs, CdbLength);                              \
    KTX_SAME_FIELD(Ours, Theirs, SenseInfoLength);                        \
    KTX_SAME_FIELD(Ours, Theirs, DataIn);                                 \
    KTX_SAME_FIELD(Ours, Theirs, DataTransferLength);                     \
    KTX_SAME_FIELD(Ours, Theirs, TimeOutValue);                           \
    KTX_SAME_FIELD(Ours, Theirs, pointerField);                           \
    KTX_SAME_FIELD(Ours, Theirs, SenseInfoOffset);                        \
    KTX_SAME_FIELD(Ours, Theirs, Cdb)

KTX_SAME_HEADER(ScsiPassThrough, SCSI_PASS_THROUGH, DataBufferOffset);
KTX_SAME_HEADER(ScsiPassThroughDirect, SCSI_PASS_THROUGH_DIRECT, DataBuffer);

static_assert(passthrough::kIoctlScsiPassThrough == IOCTL_SCSI_PASS_THROUGH, "control code");
static_assert(passthrough::kIoctlScsiPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT, "control code");
static_assert(passthrough::kDataOut == SCSI_IOCTL_DATA_OUT, "direction value");
static_assert(passthrough::kDataIn == SCSI_IOCTL_DATA_IN, "direction value");
static_assert(passthrough::kDataUnspecified == SCSI_IOCTL_DATA_UNSPECIFIED, "direction value");

// The request records' sense area: the first 8-byte boundary after the header.
static_assert(offsetof(passthrough::PassThroughRequest, sense) ==
                  (sizeof(SCSI_PASS_THROUGH) + 7) / 8 * 8, "sense area follows the header");
static_assert(offsetof(passthrough::DirectRequest, sense) ==
                  (sizeof(SCSI_PASS_THROUGH_DIRECT) + 7) / 8 * 8, "sense area follows the header");

}  // namespace
