"""PWG raster, Apple raster and binary PPM for the printer application's
tests: pages written as the device receives them, read back to compare
pixels."""

import struct

SYNC = b"RaS2"
HEADER_SIZE = 1796
SRGB = 19
RGB = 1
CMYK = 6
SGRAY = 18
BLACK = 3


def make_header(width, height, bits=8, colors=3, space=SRGB, dpi=300, page_size=None):
    """A PWG page header of `width` x `height` pixels, chunky order."""
    h = bytearray(HEADER_SIZE)
    h[0:9] = b"PwgRaster"
    struct.pack_into(">II", h, 276, dpi, dpi)
    if page_size is None:
        page_size = (width * 72 // dpi, height * 72 // dpi)
    struct.pack_into(">II", h, 352, *page_size)
    struct.pack_into(">I", h, 340, 1)                     # NumCopies
    struct.pack_into(">II", h, 372, width, height)
    bpp = bits * colors
    struct.pack_into(">III", h, 384, bits, bpp, (width * bpp + 7) // 8)
    struct.pack_into(">II", h, 396, 0, space)             # chunky, colour space
    struct.pack_into(">I", h, 420, colors)
    struct.pack_into(">I", h, 452, 1)                     # TotalPageCount
    struct.pack_into(">i", h, 456, 1)                     # CrossFeedTransform
    struct.pack_into(">i", h, 460, 1)                     # FeedTransform
    return bytes(h)


def _encode_line(line, bpp):
    """PackBits-style line: literal runs of up to 128 pixels."""
    out = bytearray([0])                                  # the line is not repeated
    count = len(line) // bpp
    i = 0
    while i < count:
        n = min(128, count - i)
        out.append(0 if n == 1 else 257 - n)
        out += line[i * bpp:(i + n) * bpp]
        i += n
    return bytes(out)


def encode_page(width, height, pixels, **header):
    """A header and its lines; `pixels` holds height rows of packed samples."""
    head = make_header(width, height, **header)
    bpl = struct.unpack_from(">I", head, 392)[0]
    bpp = max(1, struct.unpack_from(">I", head, 388)[0] // 8)
    body = b"".join(_encode_line(pixels[y * bpl:(y + 1) * bpl], bpp) for y in range(height))
    return head + body


def write_stream(pages):
    """A whole stream from encoded pages."""
    return SYNC + b"".join(pages)


def urf_stream(width, height, pixels, dpi=300, bits=24, space=1):
    """An Apple raster (image/urf) stream of one page: "UNIRAST", a NUL and
    the page count, a 32-byte page header (bits per pixel, colour space (0
    sGray, 1 sRGB), duplex, quality, then width, height and resolution as
    big-endian 32-bit numbers at bytes 12, 16 and 20), then lines coded as
    in PWG raster."""
    head = bytearray(32)
    head[0] = bits                                        # bits per pixel
    head[1] = space
    head[2] = 1                                           # one-sided
    head[3] = 4                                           # normal quality
    struct.pack_into(">III", head, 12, width, height, dpi)
    bpp = bits // 8
    bpl = width * bpp
    body = b"".join(_encode_line(pixels[y * bpl:(y + 1) * bpl], bpp) for y in range(height))
    return b"UNIRAST\0" + struct.pack(">I", 1) + bytes(head) + body


def read_stream(data):
    """[(width, height, header bytes, pixels)] of every page; raises ValueError when damaged."""
    if data[:4] != SYNC:
        raise ValueError("not a PWG raster stream")
    pages, pos = [], 4
    while pos < len(data):
        head = data[pos:pos + HEADER_SIZE]
        if len(head) < HEADER_SIZE:
            raise ValueError("cut page header")
        pos += HEADER_SIZE
        width, height = struct.unpack_from(">II", head, 372)
        bpp = struct.unpack_from(">I", head, 388)[0] // 8
        bpl = struct.unpack_from(">I", head, 392)[0]
        rows, pos = _decode_rows(data, pos, height, bpl, bpp)
        pages.append((width, height, head, b"".join(rows)))
    return pages


def _decode_rows(data, pos, height, bpl, bpp):
    rows = []
    while len(rows) < height:
        repeat = data[pos] + 1
        pos += 1
        line = bytearray()
        while len(line) < bpl:
            c = data[pos]
            pos += 1
            if c == 128:
                line += b"\xff" * (bpl - len(line))
            elif c < 128:
                line += data[pos:pos + bpp] * (c + 1)
                pos += bpp
            else:
                n = (257 - c) * bpp
                line += data[pos:pos + n]
                pos += n
        if len(line) != bpl:
            raise ValueError("damaged line")
        rows += [bytes(line)] * repeat
    return rows[:height], pos


def read_ppm(path):
    """(width, height, pixels) of a binary 8-bit PPM."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(path + ": not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def write_ppm(path, width, height, pixels):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)
