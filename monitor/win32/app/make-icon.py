#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# make-icon.py OUT.ico: draws Tovana.exe's icon, the gauge the Linux monitor shows as its
# window icon (a dark dial, a green-yellow-red scale over 240 degrees, a white needle into the
# green), at 16, 24, 32, 48 and 256 pixels, antialiased by sampling each pixel 4 x 4 times.
# Python's own library only, so the cross build needs nothing more. The small sizes are
# 32-bit bitmaps, which every Windows reads; 256 is PNG, as Windows keeps it.
import math
import struct
import sys
import zlib

SCALE_START = 210  # degrees counter-clockwise from three o'clock
BANDS = [(SCALE_START, -140, (0x2E, 0xB8, 0x4B)), (SCALE_START - 140, -50, (0xF2, 0xC2, 0x1B)),
         (SCALE_START - 190, -50, (0xD9, 0x2B, 0x2B))]
NEEDLE_DEGREES = 120
FACE = (0x20, 0x24, 0x2A)
EDGE = (0x50, 0x50, 0x50)
WHITE = (0xFF, 0xFF, 0xFF)
SAMPLES = 4


def in_band(angle, start, span):
    """Whether angle (degrees) lies on the arc from start over span (negative: clockwise)."""
    low, high = (start + span, start) if span < 0 else (start, start + span)
    angle = (angle - low) % 360
    return angle <= high - low


def colour_at(x, y, size):
    """The colour of the topmost shape at (x, y), y down, or None for the background."""
    centre = size / 2
    dx, dy = x - centre, centre - y
    distance = math.hypot(dx, dy)
    face = (size - 2) / 2
    ring_width = size / 8
    ring = face - ring_width
    colour = None
    if distance <= face + 0.5:
        colour = EDGE if distance > face - 0.5 else FACE
    if abs(distance - ring) <= ring_width / 2:
        angle = math.degrees(math.atan2(dy, dx))
        for start, span, band in BANDS:
            if in_band(angle, start, span):
                colour = band
    # The needle: a round-capped line from the centre to the ring's radius.
    theta = math.radians(NEEDLE_DEGREES)
    tx, ty = ring * math.cos(theta), ring * math.sin(theta)
    along = max(0.0, min(1.0, (dx * tx + dy * ty) / (tx * tx + ty * ty)))
    if math.hypot(dx - along * tx, dy - along * ty) <= max(1.5, size / 20) / 2:
        colour = WHITE
    if distance <= size / 14:
        colour = WHITE
    return colour


def pixels(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, size)
                    if colour:
                        r, g, b, covered = r + colour[0], g + colour[1], b + colour[2], covered + 1
            if covered:
                row.append((r // covered, g // covered, b // covered, 255 * covered // SAMPLES ** 2))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap(size):
    """A 32-bit icon bitmap: its header (height doubled for the mask), rows bottom up, the mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels(size)) for r, g, b, a in row)
    mask = bytes(((size + 31) // 32 * 4) * size)  # the alpha channel decides; the mask shows all
    return header + colour + mask


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in pixels(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    sizes = [16, 24, 32, 48, 256]
    images = [png(s) if s >= 256 else bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as file:
        file.write(out + b"".join(images))


if __name__ == "__main__":
    main()
