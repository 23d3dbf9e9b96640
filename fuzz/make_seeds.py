#!/usr/bin/env python3
"""Writes the seed inputs in corpus/<target>/ (checked in; run again after a
change to a target's input layout). Most targets read their input through
libFuzzer's FuzzedDataProvider, which takes byte runs from the front of the
input and numbers from its back; Input below builds inputs in that layout, so
each seed reads as the situation it describes. The configuration seeds are
plain text files in corpus/fuzz_machine_config/ and are not made here."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

IMAGE_SIZE = 0x20000
PACKAGE_SIZE = 32 + IMAGE_SIZE
BLOCK_SIZE = 0x4000
ANCHOR = bytes((~b) & 0xFF for b in [
    0x16, 0xB4, 0xAB, 0xA7, 0xC8, 0xC8, 0xCD, 0xCB, 0xAF, 0xB4, 0xB8, 0xBE, 0xAD, 0xBA, 0xBE, 0x62])


class Input:
    """An input in FuzzedDataProvider's layout, built in consumption order."""

    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in consumption order; stored reversed at the end

    def integral(self, value, low=0, high=None, size=1):
        """A number from ConsumeIntegral (size bytes) or ConsumeIntegralInRange(low, high)."""
        span = (1 << (8 * size)) - 1 if high is None else high - low
        offset = value - low
        assert 0 <= offset <= span
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        self.back += offset.to_bytes(count, "big") if count else b""
        return self

    def boolean(self, value):
        return self.integral(1 if value else 0)

    def raw(self, data):
        """ConsumeBytes / ConsumeRemainingBytes: bytes from the front."""
        self.front += data
        return self

    def string(self, text, max_length):
        """ConsumeRandomLengthString(max_length): the text, '\\' doubled, ended by
        '\\' and another byte unless it is max_length long."""
        self.front += text.replace(b"\\", b"\\\\")
        if len(text) < max_length:
            self.front += b"\\\x00"
        return self

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def inquiry_data(peripheral, vendor, product, revision):
    data = bytearray(96)
    data[0], data[1], data[3], data[4] = peripheral, 0x80, 0x32, 91
    data[8:16] = vendor.ljust(8)
    data[16:32] = product.ljust(16)
    data[32:36] = revision.ljust(4)
    return bytes(data)


def mode_data(byte10, byte11):
    data = bytearray(34)
    data[0:2] = struct.pack(">H", 32)
    data[8], data[9], data[10], data[11] = 0x2A, 0x18, byte10, byte11
    return bytes(data)


def inquiry_seeds():
    def seed(flags, letter, fill, mode, inquiry):
        i = Input().integral(flags).integral(ord(letter), ord("C"), ord("Z")).integral(fill)
        i.integral(len(mode), 0, 120).raw(mode).raw(inquiry)
        return i.bytes()

    write("fuzz_inquiry_mode_sense", "dvd_rom_drive",
          seed(0, "E", 0xA5, mode_data(0x08, 0x00), inquiry_data(0x05, b"TAVRINE", b"KTX7724R05", b"P1.2")))
    write("fuzz_inquiry_mode_sense", "cd_writer_mode_sense_fails",
          seed(4, "F", 0x00, mode_data(0x3B, 0x03), inquiry_data(0x85, b"OTHER", b"CD-RW 52X", b"1.00")))
    write("fuzz_inquiry_mode_sense", "hard_disk",
          seed(0, "C", 0xFF, b"", inquiry_data(0x00, b"SIMDISK", b"HARD DISK", b"1.0")))
    write("fuzz_inquiry_mode_sense", "short_reply", seed(2, "Z", 0x20, mode_data(0x08, 0x01), b"\x05\x80"))


def header(tag, sum_text, mask):
    h = bytearray(32)
    h[0:len(tag)] = tag
    h[5:5 + len(sum_text)] = sum_text
    h[16] = mask
    return bytes(h)


def package_header_seeds():
    def seed(head, tag, written_sum, mask):
        return head + Input().string(tag, 4).integral(written_sum, size=2).integral(mask).bytes()

    write("fuzz_package_header", "template", seed(b"INSERT_FIRMWARE" + bytes(17), b"P1.3", 0x0E89, 0x0F))
    write("fuzz_package_header", "combined", seed(header(b"P1.3", b"0E89", 0x0F), b"", 0, 0))
    write("fuzz_package_header", "odd_sum_texts", seed(header(b"X\x00Y", b" -0x", 0xFF), b"AB", 0xFFFF, 0x80))
    write("fuzz_package_header", "short", b"P1\x00\x00\x00+7f")


def combine_seeds():
    def seed(tag, mask, **options):
        anchors = options.get("anchors", 1)
        i = Input().string(tag, 6).string(mask, 8).integral(1 if options.get("over_template") else 3, 0, 7)
        prefix = options.get("prefix", b"MZ\x90\x00")
        i.integral(len(prefix), 0, 48).raw(prefix)
        i.integral({0: 0, 1: 1, 2: 6, 3: 7}[anchors], 0, 7)
        i.integral(0x90)
        i.raw(options.get("head", b"").ljust(32, b"\x00"))
        i.boolean(options.get("marker", True)).boolean(options.get("head_after_marker", True))
        truncate_to = options.get("truncate_to")
        i.boolean(truncate_to is not None)
        if truncate_to is not None:
            i.integral(truncate_to, 0, PACKAGE_SIZE)
        tail = options.get("tail", b"PE\x00\x00")
        i.integral(len(tail), 0, 48).raw(tail)
        program_size = len(prefix) + (16 if anchors else 0) + (truncate_to or PACKAGE_SIZE) + len(tail)
        for extra in range(1, anchors):
            i.integral(program_size, 0, program_size)  # at the end
            program_size += 16
        image_size = options.get("image_size", IMAGE_SIZE)
        i.integral(1 if image_size == IMAGE_SIZE else 0, 0, 7)
        if image_size != IMAGE_SIZE:
            i.integral(image_size, 0, IMAGE_SIZE + 64)
        i.integral(0 if options.get("image_anchor") else 1, 0, 7)
        i.integral(image_size // 2, 0, image_size)
        pattern = options.get("pattern", b"\x12\x34\x56")
        i.integral(len(pattern), 0, 64).raw(pattern)
        # The published check: 0 a right --sum, 1 a right --sha256, 2
        # --unchecked-image, 3 a wrong --sum.
        i.integral(options.get("check", 0), 0, 3)
        return i.bytes()

    # Unless told otherwise, the head bytes go after the marker (header bytes 15 on).
    write("fuzz_combine", "good", seed(b"P1.3", b"0x0F"))
    write("fuzz_combine", "good_sha256", seed(b"P1", b"12", check=1))
    write("fuzz_combine", "good_unchecked", seed(b"", b"0", check=2))
    write("fuzz_combine", "wrong_sum", seed(b"P1.3", b"0x0C", check=3))
    write("fuzz_combine", "over_template", seed(b"P1.3", b"0x0F", over_template=True))
    write("fuzz_combine", "mask_beyond_tag", seed(b"P1", b"0x0F"))
    write("fuzz_combine", "mask_above_bit_3", seed(b"P1.3", b"255"))
    write("fuzz_combine", "two_anchors", seed(b"P1.3", b"15", anchors=2))
    write("fuzz_combine", "no_anchor", seed(b"P1.3", b"15", anchors=0))
    write("fuzz_combine", "already_combined", seed(b"P1.3", b"15", marker=False, head=b"P1.2\x000E89",
                                                 head_after_marker=False))
    write("fuzz_combine", "truncated_area", seed(b"P1.3", b"15", truncate_to=1000))
    write("fuzz_combine", "image_too_short", seed(b"P1.3", b"15", image_size=IMAGE_SIZE - 1))
    write("fuzz_combine", "image_holds_anchor", seed(b"P1.3", b"15", image_anchor=True))
    write("fuzz_combine", "bad_tag_and_mask", seed(b"P1.3\x7f!", b"0x100"))


def drive_seeds():
    def config(peripheral=0x05, inquiry_length=96, faults=0, fill=0x00):
        i = Input().integral(peripheral).integral(inquiry_length, 5, 255).integral(0x08).integral(0x00)
        i.integral(fill).integral(faults)
        return i

    def vendor(i, block, damage=None):
        i.integral(2, 0, 3).integral(block, 0, 9)
        if damage is None:
            i.integral(2, 0, 7)
        else:
            i.integral(0, 0, 7).integral(damage, 0, 11).integral(0x10, 1, 255)

    def identity(i, which):
        i.integral(3, 0, 3).integral(which, 0, 3)

    def buffer(i, kind, offset, length, data=b""):
        i.integral(1, 0, 3).integral(kind, 0, 2).integral(0, 0, 2).integral(offset, size=2)
        i.integral(length, 0, 4096)
        if kind == 2:
            i.raw(data.ljust(length, b"\x00"))

    def pattern(i, data):
        i.integral(len(data), 1, 64).raw(data)

    i = config()
    pattern(i, b"\x01\x02\x03\x04\x05")
    for block in range(1, 9):
        vendor(i, block)
    buffer(i, 0, 0, 64)
    write("fuzz_drive_execute", "whole_download", i.bytes())

    i = config(peripheral=0x25, inquiry_length=36)
    pattern(i, b"\xAA")
    for which in range(4):
        identity(i, which)
    buffer(i, 2, 0x100, 16, b"0123456789ABCDEF")
    buffer(i, 1, 0x100, 16)
    buffer(i, 0, 0xFFF0, 4096)
    write("fuzz_drive_execute", "identity_and_buffers", i.bytes())

    i = config(faults=0x01 | 0x04 | 0x10 | 0x20).integral(3, 1, 8).integral(2, 1, 3).integral(6, 1, 32)
    pattern(i, b"\x7F\x80")
    vendor(i, 1)
    vendor(i, 2, damage=6)
    vendor(i, 3)
    identity(i, 1)
    identity(i, 2)
    vendor(i, 2)
    vendor(i, 3)
    write("fuzz_drive_execute", "faults", i.bytes())

    i = config(faults=0x08).integral(2, 1, 32)
    pattern(i, b"\x00")
    i.integral(0, 0, 3).integral(12, 0, 16).raw(bytes([0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, 0, 0, 0, 0, 1, 8]))
    i.integral(2, 0, 2).boolean(False).integral(BLOCK_SIZE, 0, IMAGE_SIZE + 16).integral(1, 0, 7)
    i.integral(0, 0, 3).integral(6, 0, 16).raw(bytes([0x12, 0, 0, 0, 0xFF, 0]))
    i.integral(1, 0, 2).boolean(True).integral(255, 0, 256).integral(1, 0, 7)
    write("fuzz_drive_execute", "raw_commands", i.bytes())


PT_HEADER = 56  # the 64-bit header size of the host build
FILLED = 512  # buffer bytes a pass-through input supplies at most


def pass_through_seeds():
    def call(i, handle, code, in_length, out_length, shared, fields, data_offset=None, direct_fill=None,
             in_fill=b""):
        i.integral(handle, 0, 7).integral(code)
        for length in (in_length, out_length):
            i.integral(2, 0, 3).integral(length, 0, 0x10000 + 0x300)
        i.integral(0 if shared else 1)
        length_field, cdb_length, data_in, transfer, timeout, cdb = fields
        i.integral(0)  # nudge: every field from its usual range
        i.integral(0, size=1).integral(0, size=1).integral(0, size=1).integral(0, size=1)
        i.integral(cdb_length, 0, 16).integral(data_in, 0, 2).integral(transfer, 0, 0x10001)
        i.integral(timeout, 1, 30 * 3600).integral(48, 0, 0x200)
        i.raw(cdb.ljust(16, b"\x00"))
        if code % 2 == 0:
            i.integral(0).integral(data_offset, 0, 0x400)
        else:
            i.integral(1, 0, 15)
            if transfer:
                i.raw(direct_fill.ljust(min(transfer, FILLED), b"\x00"))
        i.raw(in_fill.ljust(min(max(in_length, out_length) if shared else in_length, FILLED), b"\x00"))

    inquiry = (PT_HEADER, 6, 1, 192, 256, bytes([0x12, 0, 0, 0, 0xC0, 0]))
    i = Input().integral(0)
    call(i, 0, 0, PT_HEADER, 88 + 192, True, inquiry, data_offset=88)
    call(i, 1, 0, PT_HEADER, 88 + 192, True, inquiry, data_offset=88)
    call(i, 2, 0, PT_HEADER, 88 + 192, True, inquiry, data_offset=88)
    write("fuzz_pass_through", "buffered_inquiry_drive_disk_read_only", i.bytes())

    vendor = (PT_HEADER, 12, 0, BLOCK_SIZE, 25000, bytes([0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, 0, 0, 0, 0, 1, 8]))
    read = (PT_HEADER, 10, 1, 64, 256, bytes([0x3C, 0x01, 0, 0, 0, 0, 0, 0, 64, 0x01]))
    i = Input().integral(0)
    call(i, 0, 1, 88, 88, True, vendor, direct_fill=b"\xFF" * 16)
    call(i, 0, 1, 88, 88, False, read, direct_fill=b"")
    call(i, 0, 0, PT_HEADER, 88, False, read, data_offset=20)
    write("fuzz_pass_through", "direct_vendor_and_read_buffer", i.bytes())

    tur = (PT_HEADER, 6, 1, 0, 1, bytes(6))
    i = Input().integral(250)  # latency beyond the time-out
    call(i, 0, 0, PT_HEADER, PT_HEADER, False, tur, data_offset=0)
    call(i, 3, 0, PT_HEADER, PT_HEADER, False, tur, data_offset=0)
    call(i, 4, 1, PT_HEADER - 1, PT_HEADER, False, tur, direct_fill=b"")
    write("fuzz_pass_through", "time_out_closed_handle_short_input", i.bytes())


if __name__ == "__main__":
    inquiry_seeds()
    package_header_seeds()
    combine_seeds()
    drive_seeds()
    pass_through_seeds()
