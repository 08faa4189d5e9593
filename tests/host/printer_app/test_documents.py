"""Documents as clients send them: PNG of every kind and damaged PNG, grey
raster, documents whose format the server must find from their bytes, what
the printer advertises, and a client that stops sending in the middle of a
page while another printer prints."""

import os
import random
import socket
import struct
import subprocess
import time
import types
import unittest

import base
import fixtures
import png_files
import pwg
import server

PNG, JPEG, PWG, URF, OCTETS = "image/png", "image/jpeg", "image/pwg-raster", "image/urf", "application/octet-stream"
# 4x6 inches at 300 dpi: PAPPL places an image of this size without scaling.
PHOTO_W, PHOTO_H = 1200, 1800
PHOTO_SIZE = types.SimpleNamespace(width=PHOTO_W, height=PHOTO_H)


def grey_to_rgb(grey):
    rgb = bytearray(len(grey) * 3)
    for c in range(3):
        rgb[c::3] = grey
    return bytes(rgb)


class DocumentTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.small = fixtures.Page(cls.work, "small", 300, 450, seed=5)
        rows = png_files.split_rows(cls.small.pixels, 300, 450, 3)
        cls.small_png = cls.write(cls, "small.png", png_files.encode(300, 450, 8, png_files.RGB, rows))

    def write(self, name, data):
        path = os.path.join(self.work, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def assertPrintsAsTheCommand(self, path, fmt, page, source, name):
        name, status = self.print_and_wait(path, fmt, name=name)
        # A raster page of no medium's size is fitted onto 4x6, as the command fits it.
        fitted = fmt in (PWG, URF) and not fixtures.is_media_size(page.width, page.height)
        options = ["--media", "4x6", "--fit"] if fitted else []
        expected = server.expected_print(self.work, source, options, name + "-expected")[2]
        self.assertPrinted(name, status, page, expected)

    def assertNextJobPrints(self, name):
        name, status = self.print_and_wait(self.small_png, PNG, name=name)
        self.assertEqual(status["job-state"], "completed", status)
        self.assertTrue(os.path.exists(os.path.join(self.out, name + ".pwg")))


class PngTest(DocumentTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.photo = fixtures.photo_pixels(PHOTO_W, PHOTO_H, seed=6)
        cls.page = PHOTO_SIZE

    def channel(self, c):
        return self.photo[c::3]

    def test_damaged_png_ends_aborted_with_the_reason_and_the_next_job_prints(self):
        good = png_files.encode(300, 450, 8, png_files.RGB, png_files.split_rows(self.small.pixels, 300, 450, 3))
        rng = random.Random(7)
        wide = png_files.encode(17000, 10, 8, png_files.RGB, [rng.randbytes(17000 * 3) for _ in range(10)])
        cases = [
            ("cut-in-idat", png_files.cut_in_idat(good), ["PNG"]),
            ("bad-crc", png_files.bad_idat_crc(good), ["PNG", "CRC"]),
            ("bad-zlib", png_files.bad_zlib_data(good), ["PNG", "block type"]),
            ("not-a-png", self.read(self.small.jpeg), ["PNG"]),
            # Within what the reader takes, beyond PAPPL's image limits:
            # refused from the header, before anything is decoded.
            ("wider-than-the-limit", wide, ["17000 x 10", "16384"]),
        ]
        for tag, data, words in cases:
            with self.subTest(tag):
                before = set(os.listdir(self.out))
                started = time.time()
                job, _ = self.server.print_job(self.printer, self.write(tag + ".png", data), PNG, name="bad-" + tag)
                status = self.server.wait_job(self.printer, job, timeout=20)
                self.assertLess(time.time() - started, 20)
                self.assertEqual(status["job-state"], "aborted", status)
                for word in words:
                    self.assertIn(word, status["job-state-message"] or "")
                self.assertEqual(set(os.listdir(self.out)), before, "the device received a refused job")
                self.assertNextJobPrints("after-" + tag)

    def test_one_bit_grey_png(self):
        grey = self.channel(1)
        rows = []
        for y in range(PHOTO_H):
            line = grey[y * PHOTO_W:(y + 1) * PHOTO_W]
            bits = int("".join("1" if v > 127 else "0" for v in line), 2)
            rows.append(bits.to_bytes(PHOTO_W // 8, "big"))
        path = self.write("grey1.png", png_files.encode(PHOTO_W, PHOTO_H, 1, png_files.GREY, rows))
        self.assertPrintsAsTheCommand(path, PNG, self.page, path, "grey1")

    def test_palette_png_with_transparent_entries(self):
        # 3-3-2 bits of red, green and blue index a 256-colour palette.
        r = int.from_bytes(self.channel(0).translate(bytes(v & 0xE0 for v in range(256))), "big")
        g = int.from_bytes(self.channel(1).translate(bytes((v & 0xE0) >> 3 for v in range(256))), "big")
        b = int.from_bytes(self.channel(2).translate(bytes(v >> 6 for v in range(256))), "big")
        index = (r | g | b).to_bytes(PHOTO_W * PHOTO_H, "big")
        palette = b"".join(bytes((i & 0xE0, (i << 3) & 0xE0, (i << 6) & 0xC0)) for i in range(256))
        trns = bytes(range(0, 256, 8))
        rows = png_files.split_rows(index, PHOTO_W, PHOTO_H, 1)
        path = self.write("palette.png", png_files.encode(PHOTO_W, PHOTO_H, 8, png_files.PALETTE, rows, palette, trns))
        self.assertPrintsAsTheCommand(path, PNG, self.page, path, "palette")
        with open(self.server.log, errors="replace") as f:
            self.assertIn("palette PNG expanded to RGB", f.read(), "the reader's notices reach the job log")

    def test_sixteen_bit_png(self):
        samples = bytearray(len(self.photo) * 2)
        samples[0::2] = self.photo
        samples[1::2] = self.photo.translate(bytes((v * 37 + 11) & 0xFF for v in range(256)))
        rows = png_files.split_rows(samples, PHOTO_W, PHOTO_H, 6)
        path = self.write("rgb16.png", png_files.encode(PHOTO_W, PHOTO_H, 16, png_files.RGB, rows))
        self.assertPrintsAsTheCommand(path, PNG, self.page, path, "rgb16")

    def test_interlaced_png_with_alpha(self):
        rgba = bytearray(PHOTO_W * PHOTO_H * 4)
        for c in range(3):
            rgba[c::4] = self.channel(c)
        rgba[3::4] = self.channel(2).translate(bytes(255 if v > 200 else v for v in range(256)))
        rows = png_files.split_rows(rgba, PHOTO_W, PHOTO_H, 4)
        png = png_files.encode(PHOTO_W, PHOTO_H, 8, png_files.RGBA, rows, interlaced=True, pixel_bytes=4)
        path = self.write("interlaced-alpha.png", png)
        self.assertPrintsAsTheCommand(path, PNG, self.page, path, "interlaced-alpha")


def with_orientation(jpeg, orientation):
    """The JPEG with an Exif block after its JFIF marker whose one tag is
    the orientation."""
    tiff = b"II*\0" + struct.pack("<IH", 8, 1) + struct.pack("<HHIHH", 0x0112, 3, 1, orientation, 0) + bytes(4)
    exif = b"Exif\0\0" + tiff
    after_jfif = 4 + struct.unpack_from(">H", jpeg, 4)[0]
    return jpeg[:after_jfif] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[after_jfif:]


class OrientedJpegTest(DocumentTest):
    def test_jpeg_tagged_as_turned_prints_upright_as_the_command_prints_it(self):
        # Stored 1800 x 1200, tagged "rotate 90 degrees clockwise": upright
        # it fills the 4x6 page without scaling.
        stored = os.path.join(self.work, "stored.ppm")
        pwg.write_ppm(stored, PHOTO_H, PHOTO_W, fixtures.photo_pixels(PHOTO_H, PHOTO_W, seed=9))
        plain = os.path.join(self.work, "stored.jpg")
        subprocess.run(["convert", stored, "-quality", "90", plain], check=True, timeout=60)
        path = self.write("turned.jpg", with_orientation(self.read(plain), 6))
        self.assertPrintsAsTheCommand(path, JPEG, PHOTO_SIZE, path, "turned")


class GreyRasterTest(DocumentTest):
    def test_grey_pages_print_as_their_rgb_expansion(self):
        w, h = self.small.width, self.small.height
        grey = self.small.pixels[1::3]
        inverted = grey.translate(bytes(255 - v for v in range(256)))
        expanded = os.path.join(self.work, "grey-expanded.ppm")
        pwg.write_ppm(expanded, w, h, grey_to_rgb(grey))
        cases = [
            ("urf-w8", URF, pwg.urf_stream(w, h, grey, bits=8, space=0)),
            ("pwg-sgray8", PWG, pwg.write_stream([pwg.encode_page(w, h, grey, colors=1, space=pwg.SGRAY)])),
            ("pwg-black8", PWG, pwg.write_stream([pwg.encode_page(w, h, inverted, colors=1, space=pwg.BLACK)])),
        ]
        for tag, fmt, data in cases:
            with self.subTest(tag):
                self.assertPrintsAsTheCommand(self.write(tag, data), fmt, self.small, expanded, tag)


class AdvertisedTest(DocumentTest):
    def test_formats_and_raster_types_listed_are_the_ones_that_print(self):
        formats = self.server.printer_attribute(self.printer, "document-format-supported").split(",")
        self.assertEqual(sorted(formats), sorted([OCTETS, JPEG, PNG, PWG, URF, "image/tiff", "image/webp", "image/heic",
                                               "image/avif"]))
        urf = self.server.printer_attribute(self.printer, "urf-supported").split(",")
        colour_types = [v for v in urf if v.startswith(("W", "SRGB", "DEV", "ADOBE", "CMYK", "RGB"))]
        self.assertEqual(sorted(colour_types), ["ADOBERGB24", "SRGB24", "W8"])

    def test_documents_sent_as_octet_stream_are_typed_by_their_bytes(self):
        for path, tag in ((self.small_png, "typed-png"), (self.small.jpeg, "typed-jpeg"), (self.small.pwg, "typed-pwg")):
            with self.subTest(tag):
                name, status = self.print_and_wait(path, OCTETS, name=tag)
                self.assertEqual(status["job-state"], "completed", status)

    def test_a_document_of_no_known_format_is_refused_with_the_reason(self):
        path = self.write("unknown.bin", b"K7730 is not a document format\n" * 100)
        job, _ = self.server.print_job(self.printer, path, OCTETS, name="unknown")
        status = self.server.wait_job(self.printer, job)
        self.assertEqual(status["job-state"], "aborted", status)
        self.assertIn("format of the document is not known", status["job-state-message"] or "")


def ipp_request(printer_uri, fmt):
    """A Print-Job request's attributes, as a client sends them before the document."""
    def attr(tag, name, value):
        return struct.pack(">BH", tag, len(name)) + name + struct.pack(">H", len(value)) + value
    body = struct.pack(">BBHI", 2, 0, 0x0002, 1) + b"\x01"
    body += attr(0x47, b"attributes-charset", b"utf-8") + attr(0x48, b"attributes-natural-language", b"en")
    body += attr(0x45, b"printer-uri", printer_uri.encode()) + attr(0x42, b"requesting-user-name", b"tester")
    body += attr(0x42, b"job-name", b"stalled") + attr(0x49, b"document-format", fmt.encode())
    return body + b"\x03"


class StalledClientTest(DocumentTest):
    def test_a_client_stalled_mid_page_delays_only_its_own_printer(self):
        other = os.path.join(self.work, "other-out")
        os.mkdir(other)
        self.server.add_printer("other", "file://" + other)
        page = fixtures.Page(self.work, "stall", 600, 900, seed=8)
        stream = pwg.write_stream([pwg.encode_page(page.width, page.height, page.pixels)])
        half = stream[:len(stream) // 2]
        sock = socket.create_connection(("127.0.0.1", self.server.port), timeout=30)
        try:
            uri = self.server.printer_uri(self.printer)
            sock.sendall(("POST /ipp/print/%s HTTP/1.1\r\nHost: localhost:%d\r\nContent-Type: application/ipp\r\n"
                          "Transfer-Encoding: chunked\r\n\r\n" % (self.printer, self.server.port)).encode())
            data = ipp_request(uri, PWG) + half
            sock.sendall(b"%x\r\n" % len(data) + data + b"\r\n")
            self.wait_for_log("Page 1 raster data is 600x900")
            time.sleep(0.5)
            started = time.time()
            job, _ = self.server.print_job("other", self.small.pwg, PWG, name="beside")
            status = self.server.wait_job("other", job, timeout=60)
            took = time.time() - started
            self.assertEqual(status["job-state"], "completed", status)
            # A small page takes about a second; before, it waited for PAPPL
            # to give up on the stalled client, beyond ipptool's 30 seconds.
            self.assertLess(took, 15, "the other printer waited for the stalled client")
            self.assertEqual(self.server.job_status(self.printer, 1)["job-state"], "processing")
        finally:
            sock.close()
        # Without the rest of its page the stalled job ends aborted.
        status = self.server.wait_job(self.printer, 1, timeout=60)
        self.assertEqual(status["job-state"], "aborted", status)
        self.assertNextJobPrints("after-stall")

    def wait_for_log(self, text, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            with open(self.server.log, errors="replace") as f:
                if text in f.read():
                    return
            time.sleep(0.1)
        self.fail("the server never logged " + repr(text))


if __name__ == "__main__":
    unittest.main()
