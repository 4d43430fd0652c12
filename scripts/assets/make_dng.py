#!/usr/bin/env python3
"""Wraps a JPEG into a minimal DNG as a raw file's embedded preview.

Usage: make_dng.py PREVIEW.jpg WIDTH HEIGHT ORIENTATION OUT

IFD0 is the preview (JPEG, the EXIF orientation given); its SubIFD is a
32 x 32 16-bit colour-filter raw of flat grey, enough for raw readers to take
the file for a DNG. The screenshots use it to show raw previews.
"""
import struct
import sys

SHORT, LONG, BYTE = 3, 4, 1
SIZES = {BYTE: 1, SHORT: 2, LONG: 4}


def ifd(entries, start, patches):
    """Entries as (tag, type, values); returns the IFD's bytes and where each
    patched tag's value field lies."""
    head = struct.pack('<H', len(entries))
    tail = b''
    fields = {}
    data_at = start + 2 + 12 * len(entries) + 4
    for tag, kind, values in entries:
        packed = b''.join(struct.pack('<' + {BYTE: 'B', SHORT: 'H', LONG: 'I'}[kind], v) for v in values)
        fields[tag] = start + len(head) + 8
        if len(packed) <= 4:
            head += struct.pack('<HHI', tag, kind, len(values)) + packed.ljust(4, b'\0')
        else:
            head += struct.pack('<HHII', tag, kind, len(values), data_at + len(tail))
            tail += packed
    return head + b'\0\0\0\0' + tail, {t: fields[t] for t in patches}


def main():
    preview_path, width, height, orientation, out = sys.argv[1:6]
    preview = open(preview_path, 'rb').read()
    width, height, orientation = int(width), int(height), int(orientation)
    side = 32
    raw = b'\x00\x10' * side * side
    ifd0, f0 = ifd([(254, LONG, [1]), (256, LONG, [width]), (257, LONG, [height]), (258, SHORT, [8, 8, 8]),
                    (259, SHORT, [7]), (262, SHORT, [6]), (273, LONG, [0]), (274, SHORT, [orientation]),
                    (277, SHORT, [3]), (278, LONG, [height]), (279, LONG, [len(preview)]), (330, LONG, [0]),
                    (50706, BYTE, [1, 4, 0, 0])], 8, [273, 330])
    sub_at = 8 + len(ifd0)
    sub, f1 = ifd([(254, LONG, [0]), (256, LONG, [side]), (257, LONG, [side]), (258, SHORT, [16]),
                   (259, SHORT, [1]), (262, SHORT, [32803]), (273, LONG, [0]), (277, SHORT, [1]),
                   (278, LONG, [side]), (279, LONG, [len(raw)]), (33421, SHORT, [2, 2]),
                   (33422, BYTE, [0, 1, 1, 2])], sub_at, [273])
    data = bytearray(b'II*\0' + struct.pack('<I', 8) + ifd0 + sub)
    struct.pack_into('<I', data, f0[330], sub_at)
    struct.pack_into('<I', data, f0[273], len(data))
    data += preview
    struct.pack_into('<I', data, f1[273], len(data))
    data += raw
    open(out, 'wb').write(bytes(data))


if __name__ == '__main__':
    main()
