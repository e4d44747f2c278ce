#!/usr/bin/env python3
"""Writes the starting corpus of each fuzz target into corpus/<target>/.

Run it again after changing the input layout of a target; files found by
fuzzing (crashes made into regression inputs) live beside these and are kept.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def cp(text):
    return text.encode("cp1252")


# --- settings file: two choice bytes (key written, value), then the file ---

INI = (
    "[General]\r\nVersion=NT\r\n\r\n"
    "[Drucker]\r\nName=PDF\r\nMethode=2\r\nMaxLaenge=3000\r\nRand=50\r\n\r\n"
    "[Colors]\r\nColor0=$00000000\r\nColor1=0x000000FF\r\n\r\n"
    "[Format]\r\nAnzahl=2\r\n\r\n"
    "[Format0]\r\nName=Kranz gro\u00df\r\nL\u00e4nge=1500\r\nBreite=100\r\nRand=30\r\n"
    "FontName=Arial\r\nFontGr\u00f6\u00dfe=40\r\nFontFarbe=$01000000\r\nStil=1\r\n"
    "Flip=1\r\nShadow=0\r\nBildNameLinks=Rose.bmp\r\nBildBreiteLinks=40\r\n"
    "BildAbstandLinks=30\r\nBildNameRechts=\r\nBildBreiteRechts=40\r\nBildAbstandRechts=30\r\n\r\n"
    "[Format1]\r\nName=Gesteck\r\nL\u00e4nge=800\r\n"
)
put("SettingsFile", "full.ini", b"\x00\x00" + cp(INI))
put("SettingsFile", "lf-only.ini", b"\x11\x03" + cp(INI.replace("\r\n", "\n")))
put("SettingsFile", "no-final-line-end.ini", b"\x05\x07" + cp("[Drucker]\r\nName=PDF"))
put("SettingsFile", "empty.ini", b"\x02\x01")
put(
    "SettingsFile",
    "hand-edited.ini",
    b"\x13\x08"
    + cp(
        "; Einstellungen\r\n  [ format ]  \r\n  ANZAHL = ' 3 '\r\n\r\n"
        "[Format0]\r\nname=\"Gold\"\r\nL\u00e4nge=  0x7FFFFFFF\r\nFlip=yes\r\n"
        "Shadow=-1\r\nFontFarbe=red\r\n[Format0]\r\nName=zweite Sektion\r\n"
        "[Format2\r\nStil=7\r\n=ohne Schl\u00fcssel\r\nohne Gleichheitszeichen\r\n"
    ),
)
put(
    "SettingsFile",
    "odd-bytes.ini",
    b"\x07\x05[Format]\r\nAnzahl=1\r\n[Format0]\r\nName=ab\x00cd\r\nFontName=x\ry\r\n"
    b"BildNameLinks=\x81\x8d\x8f\x90\x9d.bmp\r\n",
)

# --- phrase file: one choice byte, then the file ---

put("PhraseFile", "sorted.txt", b"\x00" + cp("b\r\nA\r\nc\r\nIn stiller Trauer\\\\Familie M\u00fcller\r\n"))
put("PhraseFile", "mixed-line-ends.txt", b"\x01a\rb\nc\r\n\r\nd")
put("PhraseFile", "backslashes.txt", b"\x02" + b"\\\\\\\r\n\\\r\nx\\\\\\\\y\r\n")
put("PhraseFile", "nul.txt", b"\x03Erste\r\nZwei\x00te\r\nDritte\r\n")
put("PhraseFile", "long.txt", b"\x04" + b"W" * 300 + b"\r\nw" + b"\r\n")
put("PhraseFile", "empty.txt", b"\x00")


# --- pictures: angle byte, rectangle selector byte, then the file ---


def bmp(width, height, bits, pixels=None, compression=0, palette=None, top_down=False, data=None):
    row = (width * bits + 31) // 32 * 4
    if data is None:
        if pixels is None:
            pixels = lambda x, y: (x * 7 + y * 3) & 0xFF
        rows = []
        for y in range(height):
            r = bytearray(row)
            for x in range(width):
                v = pixels(x, y)
                if bits == 24:
                    r[x * 3 : x * 3 + 3] = bytes([v, v, 255 - v])
                elif bits == 32:
                    r[x * 4 : x * 4 + 4] = bytes([v, v, v, 255])
                elif bits == 8:
                    r[x] = v
                elif bits == 4:
                    r[x // 2] |= (v & 15) << (4 if x % 2 == 0 else 0)
                elif bits == 1:
                    if v & 1:
                        r[x // 8] |= 0x80 >> (x % 8)
            rows.append(bytes(r))
        data = b"".join(rows)
    if palette is None and bits <= 8:
        n = 1 << bits
        palette = b"".join(bytes([i * 255 // (n - 1)] * 3 + [0]) for i in range(n))
    palette = palette or b""
    offset = 14 + 40 + len(palette)
    info = struct.pack(
        "<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, compression,
        len(data), 2835, 2835, 0, 0,
    )
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + info + palette + data


def os2(width, height):
    palette = b"\x00\x00\x00\xff\xff\xff"
    row = (width + 31) // 32 * 4
    data = bytes([0xAA] * row * height)
    offset = 14 + 12 + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return head + struct.pack("<IHHHH", 12, width, height, 1, 1) + palette + data


ink = lambda x, y: 0 if (x + y) % 5 == 0 else 255
put("Picture", "rgb24.bmp", b"\x00\x00" + bmp(12, 9, 24, ink))
put("Picture", "rgb32-quarter.bmp", b"\x01\x00" + bmp(7, 5, 32, ink))
put("Picture", "grey8-half.bmp", b"\x02\x01" + bmp(16, 16, 8))
put("Picture", "nibbles-three-quarters.bmp", b"\x03\x03" + bmp(9, 4, 4))
put("Picture", "mono-top-down.bmp", b"\x00\x04" + bmp(33, 3, 1, top_down=True))
put("Picture", "wide-60000x1.bmp", b"\x01\x00" + bmp(60000, 1, 1, lambda x, y: x // 100))
put("Picture", "tall-1x3000.bmp", b"\x00\x05" + bmp(1, 3000, 1))
put("Picture", "odd-angle.bmp", b"\x04\x06\x10\x00\x20\x00\x40\x00\x40\x00" + bmp(5, 5, 24, ink))
put("Picture", "os2-core.bmp", b"\x01\x01" + os2(8, 8))
rle = bytes([4, 0x00, 3, 0xFF, 0, 0, 2, 0x80, 5, 0x10, 0, 1])
put("Picture", "rle8.bmp", b"\x02\x00" + bmp(7, 2, 8, compression=1, data=rle))
full = bmp(20, 20, 24, ink)
put("Picture", "truncated.bmp", b"\x00\x00" + full[: len(full) // 2])
absurd = bytearray(bmp(4, 4, 24))
struct.pack_into("<ii", absurd, 18, 0x7FFFFFFF, -0x7FFFFFFF)
put("Picture", "absurd-header.bmp", b"\x00\x00" + bytes(absurd))
zero = bytearray(bmp(4, 4, 24))
struct.pack_into("<i", zero, 18, 0)
put("Picture", "zero-width.bmp", b"\x00\x00" + bytes(zero))
put("Picture", "not-a-bitmap.bmp", b"\x00\x00GIF89a\x01\x00\x01\x00")


def masked16(masks):
    """A 16-bit file with colour masks; None leaves them out of the file."""
    row = b"\xff\x7f" * 3 + b"\x00\x00"
    data = row * 3
    extra = b"" if masks is None else struct.pack("<III", *masks)
    offset = 14 + 40 + len(extra)
    info = struct.pack("<IiiHHIIiiII", 40, 3, 3, 1, 16, 3, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + info + extra + data


put("Picture", "masks-555.bmp", b"\x00\x00" + masked16((0x7C00, 0x03E0, 0x001F)))
put("Picture", "masks-zero.bmp", b"\x01\x00" + masked16((0, 0, 0)))
put("Picture", "masks-missing.bmp", b"\x00\x02" + masked16(None))


# --- outlines: mode byte, pen x and y (16 bit each), mapping bytes, then data ---


def fx(v):
    return int(round(v * 65536))


def contour(start, records):
    body = b""
    for kind, pts in records:
        body += struct.pack("<HH", kind, len(pts))
        for x, y in pts:
            body += struct.pack("<ii", fx(x), fx(y))
    return struct.pack("<IIii", 16 + len(body), 24, fx(start[0]), fx(start[1])) + body


o = contour((0, 0), [(1, [(10, 0), (10, 12)]), (2, [(8, 16), (2, 16), (0, 12)])])
o += contour((3, 3), [(1, [(7, 3), (7, 9), (3, 9)])])
head = b"\x00\x10\x00\x20\x00"
put("Outline", "two-contours", head + b"\x00" + o)
put("Outline", "two-contours-scaled", head + b"\x01\x07\x07\x0f\x0f" + o)
foreign = struct.pack("<IIii", 24, 17, 0, 0) + b"\x00" * 8
put("Outline", "foreign-contour", head + b"\x00" + foreign + o)
put("Outline", "unknown-record", head + b"\x00" + contour((1, 1), [(3, [(5, 5)]), (2, [(6, 6), (7, 1)])]))
cut = bytearray(o)
struct.pack_into("<H", cut, 18, 0xFFFF)
put("Outline", "count-past-the-end", head + b"\x00" + bytes(cut))
put("Outline", "truncated", head + b"\x00" + o[:37])


def points(pts):
    out = bytes([len(pts)])
    for x, y, on in pts:
        out += struct.pack("<II", fx(x) + 0x2000000, fx(y) + 0x2000000) + bytes([on])
    return out


glyph = points([(0, 0, 1), (5, 10, 0), (10, 0, 1), (5, -3, 0)]) + points(
    [(2, 2, 0), (4, 4, 0), (6, 2, 0), (4, 0, 0)]
) + points([(1, 1, 1)])
put("Outline", "contours-of-our-source", b"\x01\x00\x00\x00\x00\x00" + glyph)
