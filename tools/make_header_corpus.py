#!/usr/bin/env python3
"""Writes the seed corpus of the header fuzzer: small JPEG headers built by hand, whole and
damaged, covering every segment the marker reader parses.  Run from anywhere:
    python3 tools/make_header_corpus.py
The files go to fuzz/corpus/headers/ (existing seeds of the same names are replaced)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TARGET = os.path.join(HERE, "..", "fuzz", "corpus", "headers")


def marker(code):
    return bytes([0xFF, code])


def segment(code, payload):
    return marker(code) + struct.pack(">H", len(payload) + 2) + payload


def frame(code, width, height, components, precision=8):
    payload = struct.pack(">BHHB", precision, height, width, len(components))
    for ident, sampling, quant in components:
        payload += bytes([ident, sampling, quant])
    return segment(code, payload)


def dqt(entries):
    payload = b""
    for ident, sixteen_bit, value in entries:
        payload += bytes([(0x10 if sixteen_bit else 0) | ident])
        payload += (struct.pack(">H", value) if sixteen_bit else bytes([value])) * 64
    return segment(0xDB, payload)


DC_COUNTS = bytes([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0])
DC_SYMBOLS = bytes(range(12))
AC_COUNTS = bytes([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D])
AC_SYMBOLS = bytes([
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52,
    0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6,
    0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3,
    0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8,
    0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA])


def dht(ids):
    payload = b""
    for ident in ids:
        payload += bytes([0x00 | ident]) + DC_COUNTS + DC_SYMBOLS
        payload += bytes([0x10 | ident]) + AC_COUNTS + AC_SYMBOLS
    return segment(0xC4, payload)


def scan(components, ss=0, se=63, ahal=0):
    payload = bytes([len(components)])
    for ident, tables in components:
        payload += bytes([ident, tables])
    return segment(0xDA, payload + bytes([ss, se, ahal]))


def jfif(width, height):
    pixels = bytes((x * 40 + y * 7) & 0xFF for y in range(height) for x in range(width * 3))
    return segment(0xE0, b"JFIF\0" + bytes([1, 2, 1, 0, 72, 0, 72, width, height]) + pixels)


def jfxx_palette(width, height):
    palette = bytes(i // 3 for i in range(768))
    return segment(0xE0, b"JFXX\0" + bytes([0x11, width, height]) + palette +
                   bytes(range(width * height)))


def adobe(transform):
    return segment(0xEE, b"Adobe" + bytes([0, 100, 0, 0, 0, 0, transform]))


SOI, EOI = marker(0xD8), marker(0xD9)
YCC420 = [(1, 0x22, 0), (2, 0x11, 1), (3, 0x11, 1)]
SEEDS = {
    "grey_baseline": SOI + jfif(0, 0) + dqt([(0, False, 4)]) + frame(0xC0, 16, 16, [(1, 0x11, 0)])
    + dht([0]) + scan([(1, 0x00)]) + bytes([0x12, 0x34]) + EOI,
    "ycc420_thumbnail_comment": SOI + jfif(3, 2) + segment(0xFE, b"seed comment")
    + dqt([(0, False, 2), (1, True, 300)]) + segment(0xDD, b"\x00\x02")
    + frame(0xC0, 33, 17, YCC420) + dht([0, 1]) + scan([(1, 0x00), (2, 0x11), (3, 0x11)]) + EOI,
    "progressive_adobe": SOI + adobe(1) + dqt([(0, False, 8), (1, False, 9)])
    + frame(0xC2, 40, 24, YCC420) + dht([0, 1]) + scan([(1, 0x00), (2, 0x10), (3, 0x10)], 0, 0, 1)
    + EOI,
    "tables_then_image": SOI + dqt([(0, False, 5)]) + dht([0]) + EOI + SOI
    + frame(0xC1, 8, 8, [(1, 0x11, 0)]) + scan([(1, 0x00)]) + EOI,
    "jfxx_palette": SOI + jfxx_palette(4, 3) + frame(0xC0, 8, 8, [(1, 0x11, 0)]) + EOI,
    "cmyk_adobe_four_components": SOI + adobe(2) + dqt([(0, False, 3)])
    + frame(0xC0, 16, 16, [(1, 0x22, 0), (2, 0x11, 0), (3, 0x11, 0), (4, 0x22, 0)]) + dht([0])
    + scan([(1, 0x00), (2, 0x00), (3, 0x00), (4, 0x00)]) + EOI,
    # Damaged: garbage and fill bytes before the markers, a DQT length of 1, a five-component
    # frame and a scan naming an absent component.
    "garbage_fill_bytes": bytes([0x00, 0xFF, 0x00, 0xFF]) + SOI + bytes([0xFF, 0xFF])
    + dqt([(0, False, 1)]) + frame(0xC0, 8, 8, [(1, 0x11, 0)]) + EOI,
    "bad_lengths": SOI + marker(0xDB) + b"\x00\x01" + frame(0xC0, 8, 8, [(i, 0x11, 0) for i in range(5)])
    + scan([(9, 0x00)]) + EOI,
}


def main():
    os.makedirs(TARGET, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(TARGET, name + ".jpg"), "wb") as out:
            out.write(data)
    print("wrote %d seeds to %s" % (len(SEEDS), os.path.normpath(TARGET)))


if __name__ == "__main__":
    main()
