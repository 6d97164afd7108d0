#!/usr/bin/env python3
"""Draws the program's icons (plain discs) as PNG files. Run once; the PNGs are committed."""
import struct, zlib, sys, os

def png(path, size, rgb, ring=None):
    rows = []
    c = (size - 1) / 2.0
    r = size / 2.0 - 1
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= r * 0.72:
                row += bytes(rgb) + b'\xff'
            elif d <= r and ring:
                row += bytes(ring) + b'\xff'
            else:
                row += b'\x00\x00\x00\x00'
        rows.append(bytes(row))
    raw = b''.join(rows)
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) \
        + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(data)

here = os.path.dirname(os.path.abspath(__file__))
teal, dark = (0x1f, 0x8a, 0x8a), (0x1d, 0x2b, 0x36)
png(os.path.join(here, 'appicon', 'appicon.png'), 128, teal, dark)
png(os.path.join(here, 'trayicons', 'connected_icon.png'), 22, (0x2e, 0xa0, 0x43), dark)
png(os.path.join(here, 'trayicons', 'connecting_icon.png'), 22, (0xe0, 0xa0, 0x20), dark)
png(os.path.join(here, 'trayicons', 'disconnected_icon.png'), 22, (0x9a, 0x9a, 0x9a), dark)
