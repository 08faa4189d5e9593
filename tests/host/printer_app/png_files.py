"""PNG files of every kind the printer takes, written byte by byte (zlib and
struct), and the damaged ones it must refuse."""

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
GREY, RGB, PALETTE, RGBA = 0, 2, 3, 6
# Adam7: first column, first row, column step, row step of each pass.
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def encode(width, height, depth, colour, rows, palette=None, trns=None, interlaced=False, pixel_bytes=None):
    """A PNG of `rows`: each row's packed samples, filter type 0. Interlaced
    images need whole bytes per pixel (`pixel_bytes`, 4 for 8-bit RGBA)."""
    if interlaced:
        data = b"".join(_pass_rows(width, height, rows, pixel_bytes, p) for p in ADAM7)
    else:
        data = b"".join(b"\0" + row for row in rows)
    out = SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, int(interlaced)))
    if palette is not None:
        out += chunk(b"PLTE", palette)
    if trns is not None:
        out += chunk(b"tRNS", trns)
    return out + chunk(b"IDAT", zlib.compress(data, 6)) + chunk(b"IEND", b"")


def _pass_rows(width, height, rows, pixel_bytes, adam7_pass):
    x0, y0, dx, dy = adam7_pass
    if x0 >= width or y0 >= height:
        return b""
    code = {1: "B", 2: "H", 4: "I"}[pixel_bytes]
    return b"".join(b"\0" + memoryview(rows[y]).cast(code)[x0::dx].tobytes() for y in range(y0, height, dy))


def split_rows(pixels, width, height, pixel_bytes):
    row = width * pixel_bytes
    return [bytes(pixels[y * row:(y + 1) * row]) for y in range(height)]


def find_chunk(png, kind):
    """(offset of its length field, data length) of the first chunk of `kind`."""
    pos = len(SIGNATURE)
    while pos < len(png):
        length = struct.unpack_from(">I", png, pos)[0]
        if png[pos + 4:pos + 8] == kind:
            return pos, length
        pos += 12 + length
    raise ValueError("no %s chunk" % kind)


def cut_in_idat(png):
    pos, length = find_chunk(png, b"IDAT")
    return png[:pos + 8 + length // 2]


def bad_idat_crc(png):
    pos, length = find_chunk(png, b"IDAT")
    out = bytearray(png)
    out[pos + 8 + length] ^= 0x55
    return bytes(out)


def bad_zlib_data(png):
    """The first deflate block asks for the reserved block type; the chunk's
    CRC is right, so only the decompressor can find it."""
    pos, length = find_chunk(png, b"IDAT")
    data = bytearray(png[pos + 8:pos + 8 + length])
    data[2] = 0xFF
    return png[:pos] + chunk(b"IDAT", bytes(data)) + png[pos + 12 + length:]
