#pragma once
// What the system itself answers to an SG_IO request on a file that is not
// a SCSI generic device, asked with the raw ioctl. The kernel answers
// ENOTTY. qemu-user, which runs the ARM build's tests, implements no SG_IO
// request and answers ENOSYS without asking the kernel. Tests of "the
// product reports what the system said" compare the product's reading with
// this answer rather than with the kernel's alone.

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

// errno of SG_IO on the file at PATH (-1 when it does not open, 0 when the
// request was taken).
inline int SystemSgIoErrnoOnPlainFile(const char* path) {
    const int handle = open(path, O_RDWR);
    if (handle < 0) return -1;
    sg_io_hdr_t request{};
    request.interface_id = 'S';
    const int result = ioctl(handle, SG_IO, &request);
    const int error = result == 0 ? 0 : errno;
    close(handle);
    return error;
}

// Whether ERROR is an answer the system can give there: the kernel's, or
// the emulator's.
inline bool IsSystemAnswerToSgIoOnPlainFile(int error) { return error == ENOTTY || error == ENOSYS; }
