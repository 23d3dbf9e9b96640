#pragma once
// The one way the tool reaches a drive. Two implementations: ASPI for
// Win32 (Windows 95/98) and the NT SCSI pass-through. Every operation
// returns 1 for success and 0 for failure, except Enumerate and Close (no
// result) and Prepare (always 1). Each command addresses `current`.

#include <cstdint>

#include "device_list.h"
#include "device_record.h"

class ScsiTransport {
public:
    ScsiTransport();
    virtual ~ScsiTransport();
    ScsiTransport(const ScsiTransport&) = delete;
    ScsiTransport& operator=(const ScsiTransport&) = delete;

    // The twelve operations, in slot order.
    virtual void Enumerate(DeviceList& list) = 0;
    virtual int Inquiry() = 0;
    virtual int Prepare() = 0;
    virtual int ModeSense() = 0;
    virtual int Open(const DeviceRecord& record) = 0;
    virtual void Close() = 0;
    virtual int ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                std::uint16_t length) = 0;
    virtual int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                std::uint16_t length) = 0;
    virtual int WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                 std::uint16_t length) = 0;
    virtual int WriteBufferMode4() = 0;
    virtual int TestUnitReady() = 0;
    virtual int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                               std::uint16_t length, std::uint16_t imageSum) = 0;

    // True once a request the back end gave up on may still be completed
    // later into the memory it names, a caller's data buffer included: the
    // caller must then keep such buffers, not free them, until the program
    // ends.
    virtual bool requestAbandoned() const { return false; }

    // 1 when the implementation's constructor brought its back end up.
    std::int32_t initOk = 0;
    // ASPI: host adapters reported; pass-through: SCSI port entries.
    std::uint32_t adapterCount = 0;
    // The device every command addresses.
    DeviceRecord current;
    // Written only by a successful ModeSense: 1 for a drive that reads
    // DVD-ROM and writes neither CD-R nor CD-RW.
    std::int32_t dvdRomOnly = 0;

protected:
    // Shared steps of the operations that both back ends perform alike.
    void ZeroCurrent();
    // Sets both version numbers to 0 and imageSize to 0x20000; returns 1.
    int PrepareCurrent();
    // Replaces the current record with a whole copy of `record`.
    void CopyToCurrent(const DeviceRecord& record);
    // Judges INQUIRY data and, when accepted, copies its fields into
    // `current`; returns 1 when accepted.
    int AcceptInquiry(const std::uint8_t* data);
    // Sets the DVD-ROM-only flag from MODE SENSE data.
    void AcceptModeSense(const std::uint8_t* data);
};
