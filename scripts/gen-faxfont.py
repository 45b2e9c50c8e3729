#!/usr/bin/env python3
"""Generates the built-in fax font table from the X11 misc-fixed bitmap fonts.

The table holds two fonts of 256 glyphs indexed by code page 1252 character code:
  small     at offset 0:    16 bytes per glyph, 12 x 8 pixels, 2 bytes per row
  standard  at offset 4096: 48 bytes per glyph, 20 x 16 pixels, 3 bytes per row
Rows are packed like raster lines (leftmost pixel in bit 7, 1 = black).

Fax pixels at normal resolution are about twice as tall as wide, so each glyph of the square-pixel
source font is doubled horizontally: misc-fixed 5x8 gives the small font, 9x15 the standard one.

Usage: scripts/gen-faxfont.py [--fonts DIR] [--out FILE]
The source fonts come from the Debian package xfonts-base (only needed to run this script).
"""
import argparse
import gzip
import struct
import sys

PCF_PROPERTIES = 1 << 0
PCF_ACCELERATORS = 1 << 1
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_BDF_ACCELERATORS = 1 << 8

PCF_COMPRESSED_METRICS = 0x100
PCF_BYTE_MASK = 1 << 2  # most significant byte first
PCF_BIT_MASK = 1 << 3   # most significant bit first


class PcfFont:
    """The parts of a PCF font needed to draw glyphs: metrics, bitmaps, encoding, ascent."""

    def __init__(self, data):
        if data[:4] != b"\x01fcp":
            raise ValueError("not a PCF font")
        (count,) = struct.unpack_from("<i", data, 4)
        self.tables = {}
        for i in range(count):
            ttype, fmt, size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
            self.tables[ttype] = (fmt, offset)
        self.data = data
        self._read_accelerators()
        self._read_metrics()
        self._read_bitmaps()
        self._read_encodings()

    def _table(self, ttype):
        fmt, offset = self.tables[ttype]
        (fmt2,) = struct.unpack_from("<i", self.data, offset)
        order = ">" if fmt2 & PCF_BYTE_MASK else "<"
        return fmt2, offset + 4, order

    def _read_accelerators(self):
        ttype = PCF_BDF_ACCELERATORS if PCF_BDF_ACCELERATORS in self.tables else PCF_ACCELERATORS
        _, pos, order = self._table(ttype)
        self.ascent, self.descent = struct.unpack_from(order + "ii", self.data, pos + 8)

    def _read_metrics(self):
        fmt, pos, order = self._table(PCF_METRICS)
        self.metrics = []
        if fmt & PCF_COMPRESSED_METRICS:
            (n,) = struct.unpack_from(order + "h", self.data, pos)
            pos += 2
            for i in range(n):
                lsb, rsb, width, asc, desc = (b - 0x80 for b in self.data[pos + 5 * i: pos + 5 * i + 5])
                self.metrics.append((lsb, rsb, width, asc, desc))
        else:
            (n,) = struct.unpack_from(order + "i", self.data, pos)
            pos += 4
            for i in range(n):
                lsb, rsb, width, asc, desc, _ = struct.unpack_from(order + "hhhhhH", self.data, pos + 12 * i)
                self.metrics.append((lsb, rsb, width, asc, desc))

    def _read_bitmaps(self):
        fmt, pos, order = self._table(PCF_BITMAPS)
        (n,) = struct.unpack_from(order + "i", self.data, pos)
        pos += 4
        self.offsets = struct.unpack_from(order + "%di" % n, self.data, pos)
        pos += 4 * n
        sizes = struct.unpack_from(order + "4i", self.data, pos)
        pos += 16
        self.glyph_pad = 1 << (fmt & 3)
        self.scan_unit = 1 << ((fmt >> 4) & 3)
        self.msb_bit = bool(fmt & PCF_BIT_MASK)
        self.msb_byte = bool(fmt & PCF_BYTE_MASK)
        self.bitmaps = self.data[pos: pos + sizes[fmt & 3]]

    def _read_encodings(self):
        _, pos, order = self._table(PCF_BDF_ENCODINGS)
        min2, max2, min1, max1, self.default_char = struct.unpack_from(order + "5h", self.data, pos)
        pos += 10
        cols = max2 - min2 + 1
        rows = max1 - min1 + 1
        indices = struct.unpack_from(order + "%dH" % (cols * rows), self.data, pos)
        self.encoding = {}
        for r in range(rows):
            for c in range(cols):
                glyph = indices[r * cols + c]
                if glyph != 0xFFFF:
                    self.encoding[((min1 + r) << 8) | (min2 + c)] = glyph

    def glyph(self, codepoint):
        """Black pixels of a glyph as (x, y) cell coordinates (y = 0 at the font's top), or None."""
        index = self.encoding.get(codepoint)
        if index is None:
            return None
        lsb, rsb, _, asc, desc = self.metrics[index]
        width = rsb - lsb
        height = asc + desc
        row_bytes = (width + 8 * self.glyph_pad - 1) // (8 * self.glyph_pad) * self.glyph_pad
        start = self.offsets[index]
        pixels = []
        for y in range(height):
            row = bytearray(self.bitmaps[start + y * row_bytes: start + (y + 1) * row_bytes])
            if self.msb_byte != self.msb_bit and self.scan_unit > 1:
                for u in range(0, len(row), self.scan_unit):
                    row[u: u + self.scan_unit] = row[u: u + self.scan_unit][::-1]
            for x in range(width):
                byte = row[x // 8]
                bit = (byte >> (7 - x % 8)) & 1 if self.msb_bit else (byte >> (x % 8)) & 1
                if bit:
                    pixels.append((lsb + x, self.ascent - asc + y))
        return pixels


def load_pcf(path):
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".gz"):
        data = gzip.decompress(data)
    return PcfFont(data)


def cp1252_codepoint(code):
    if code < 0x20 or code == 0x7F:
        return None  # control characters draw nothing
    if code == 0xA0:
        return 0x20  # no-break space
    try:
        return ord(bytes([code]).decode("cp1252"))
    except UnicodeDecodeError:
        return None  # unassigned in code page 1252


def build_font(pcf, cell_width, rows, x_offset, y_offset, name, missing):
    bytes_per_row = (cell_width + 7) // 8
    out = bytearray()
    for code in range(256):
        cell = [[0] * cell_width for _ in range(rows)]
        cp = cp1252_codepoint(code)
        pixels = pcf.glyph(cp) if cp is not None else []
        if pixels is None:
            missing.append("%s: 0x%02X (U+%04X)" % (name, code, cp))
            pixels = []
        for x, y in pixels:
            for dx in (0, 1):  # doubled horizontally
                cx = x_offset + 2 * x + dx
                cy = y_offset + y
                if 0 <= cx < cell_width and 0 <= cy < rows:
                    cell[cy][cx] = 1
                else:
                    raise SystemExit("%s: glyph 0x%02X leaves its cell" % (name, code))
        for row in cell:
            for b in range(bytes_per_row):
                value = 0
                for bit in range(8):
                    x = 8 * b + bit
                    if x < cell_width and row[x]:
                        value |= 0x80 >> bit
                out.append(value)
    return out


HEADER = """\
// Built-in fax font: 256 glyphs of code page 1252 in two sizes, generated by
// scripts/gen-faxfont.py from the X11 misc-fixed fonts 5x8 and 9x15 (public domain, see
// LICENSE-misc-fixed). Do not edit by hand.
//
//   offset     0: small font,    16 bytes per glyph, 12 x 8 pixels, 2 bytes per row
//   offset  4096: standard font, 48 bytes per glyph, 20 x 16 pixels, 3 bytes per row
#include "imaging/convert/font/FaxFontResource.h"

namespace tolvane {

// clang-format off
const std::array<uint8_t, kFaxFontResourceSize> kFaxFontResource{{
"""


def write_table(path, table):
    lines = [HEADER]
    for glyph_start, bytes_per_glyph, label in ((0, 16, "small"), (4096, 48, "standard")):
        for code in range(256):
            start = glyph_start + code * bytes_per_glyph
            glyph = table[start: start + bytes_per_glyph]
            shown = chr(code) if 0x20 < code < 0x7F and chr(code) not in "\\" else ""
            lines.append(("    // %s 0x%02X %s" % (label, code, shown)).rstrip() + "\n")
            for i in range(0, bytes_per_glyph, 16):
                lines.append("    " + " ".join("0x%02X," % b for b in glyph[i: i + 16]) + "\n")
    lines.append("}};\n// clang-format on\n\n} // namespace tolvane\n")
    with open(path, "w") as f:
        f.write("".join(lines))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fonts", default="/usr/share/fonts/X11/misc")
    parser.add_argument("--out", default="src/imaging/convert/font/FaxFontData.cpp")
    args = parser.parse_args()
    small = load_pcf(args.fonts + "/5x8.pcf.gz")
    standard = load_pcf(args.fonts + "/9x15.pcf.gz")
    missing = []
    # 5x8: 8 rows (ascent 7, descent 1), 10 pixels wide doubled, one blank column each side.
    table = build_font(small, 12, 8, 1, 0, "small", missing)
    # 9x15: 15 rows (ascent 12, descent 3) below one blank row, 18 pixels wide doubled.
    table += build_font(standard, 20, 16, 1, 1, "standard", missing)
    assert len(table) == 4096 + 256 * 48
    table += bytes(16384 - len(table))
    for m in missing:
        print("missing glyph:", m, file=sys.stderr)
    write_table(args.out, table)


if __name__ == "__main__":
    main()
