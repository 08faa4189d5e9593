"""The colours a client sends: a photo's embedded profile (JPEG APP2, PNG
iCCP) taken as the print command takes it, an unusable one giving way with
a message, raster pages the client marks Adobe RGB, and what the printer
advertises for them."""

import os
import struct
import subprocess
import unittest
import zlib

import base
import fixtures
import png_files
import pwg
import server

JPEG, PNG, PWG, URF = "image/jpeg", "image/png", "image/pwg-raster", "image/urf"
ADOBE_RGB = "/usr/share/color/icc/colord/AdobeRGB1998.icc"
SRGB_V4 = "/usr/share/color/icc/colord/sRGB.icc"
MATCH = [("keyword", "k7730-color-match", "on")]
PWG_ADOBE_RGB = 20   # cupsColorSpace of an Adobe RGB page
URF_ADOBE_RGB = 3


def read(path):
    with open(path, "rb") as f:
        return f.read()


def jpeg_with_profile(jpeg, profile, chunk=60000):
    """The JPEG with `profile` in APP2 ICC_PROFILE segments after its SOI,
    split so that a chain of more than one segment is read back."""
    parts = [profile[i:i + chunk] for i in range(0, len(profile), chunk)]
    segments = b""
    for n, part in enumerate(parts, 1):
        body = b"ICC_PROFILE\0" + bytes((n, len(parts))) + part
        segments += b"\xff\xe2" + struct.pack(">H", len(body) + 2) + body
    return jpeg[:2] + segments + jpeg[2:]


def png_with_profile(width, height, pixels, profile):
    """An RGB PNG whose iCCP chunk carries `profile`, before its IDAT."""
    png = png_files.encode(width, height, 8, png_files.RGB, png_files.split_rows(pixels, width, height, 3))
    iccp = png_files.chunk(b"iCCP", b"photo\0\0" + zlib.compress(profile))
    at = len(png_files.SIGNATURE) + 25   # after IHDR
    return png[:at] + iccp + png[at:]


def as_grey_profile(profile):
    """The profile claiming grey data: a header the engine refuses."""
    return profile[:16] + b"GRAY" + profile[20:]


class ColourTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # 4x6 at 300 dpi: PAPPL places the photo without scaling. Splitting
        # the profile makes the APP2 chain three segments long.
        cls.photo = fixtures.Page(cls.work, "photo", 1200, 1800, seed=11)
        cls.small = fixtures.Page(cls.work, "small", 300, 450, seed=12)
        cls.adobe = read(ADOBE_RGB)
        cls.tagged_jpeg = cls.write(cls, "adobe.jpg", jpeg_with_profile(read(cls.photo.jpeg), cls.adobe, 8000))
        cls.tagged_png = cls.write(cls, "adobe.png", png_with_profile(1200, 1800, cls.photo.pixels, cls.adobe))

    def write(self, name, data):
        path = os.path.join(self.work, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def printed(self, path, fmt, attrs, name, page):
        name, status = self.print_and_wait(path, fmt, attrs, name=name)
        self.assertEqual(status["job-state"], "completed", status)
        width, height, pixels = self.output_of(name)
        self.assertEqual((width, height), page.device_size)
        return status, pixels


class EmbeddedProfileTest(ColourTest):
    def test_tagged_jpeg_and_png_print_as_the_command_prints_them(self):
        # The same pixels read as sRGB would print otherwise: the profile
        # must make the difference, and the same one as the command's.
        untagged = self.photo.expected(["--color-match"], self.photo.jpeg)
        for path, fmt in ((self.tagged_jpeg, JPEG), (self.tagged_png, PNG)):
            with self.subTest(fmt):
                _, pixels = self.printed(path, fmt, MATCH, "tagged-" + fmt.split("/")[1], self.photo)
                self.assertTrue(pixels == self.photo.expected(["--color-match"], path),
                                "the device's pixels differ from k7730-print's")
                self.assertFalse(pixels == untagged, "the embedded profile was ignored")

    def test_embedded_profile_is_ignored_when_colour_matching_is_off(self):
        _, pixels = self.printed(self.tagged_jpeg, JPEG, [("keyword", "k7730-color-match", "off")], "tagged-off",
                                 self.photo)
        self.assertTrue(pixels == self.photo.expected(["--no-color-match"], self.tagged_jpeg))

    def test_unusable_embedded_profile_prints_with_the_fallback_and_says_so(self):
        cases = [("grey", jpeg_with_profile(read(self.photo.jpeg), as_grey_profile(read(SRGB_V4)))),
                 # A chain that lacks its second segment cannot be put together.
                 ("cut-chain", self.cut_chain(read(self.photo.jpeg), read(SRGB_V4)))]
        for tag, data in cases:
            with self.subTest(tag):
                path = self.write(tag + ".jpg", data)
                status, pixels = self.printed(path, JPEG, MATCH, "fallback-" + tag, self.photo)
                self.assertIn("embedded profile cannot be used", status["job-state-message"] or "")
                self.assertIn("falling back", status["job-state-message"] or "")
                expected = self.photo.expected(["--color-match", "--fallback-profile"], path)
                self.assertTrue(pixels == expected, "the fallback differs from k7730-print --fallback-profile")

    @staticmethod
    def cut_chain(jpeg, profile):
        """An APP2 chain of three segments whose middle one is missing."""
        whole = jpeg_with_profile(jpeg, profile, 8000)
        first = 2 + 2 + struct.unpack_from(">H", whole, 4)[0]
        second = first + 2 + struct.unpack_from(">H", whole, first + 2)[0]
        return whole[:first] + whole[second:]


class NewPrinterTest(ColourTest):
    def test_untagged_jpeg_prints_as_the_command_with_the_queue_defaults(self):
        name, status = self.print_and_wait(self.photo.jpeg, JPEG, name="new-printer")
        self.assertEqual(status["job-state"], "completed", status)
        out = os.path.join(self.work, "new-printer-expected.ppm")
        subprocess.run([server.PRINT, "-q", "--media", "4x6", "--sharpen", "mild", "--color-match", self.photo.jpeg,
                        out], check=True, env=server.ENV, timeout=120)
        self.assertTrue(self.output_of(name)[2] == pwg.read_ppm(out)[2])

    def test_record_in_force_is_the_one_the_cups_queue_is_installed_with(self):
        queue = os.path.join(self.work, "queue.k77")
        subprocess.run([server.PRINT, "-q", "settings", "save", queue, "--sharpen", "mild", "--color-match"],
                       check=True, env=server.ENV, timeout=60)
        self.assertEqual(server.Web(self.server).get("/%s/k7730.record" % self.printer), read(queue))


class AdobeRgbRasterTest(ColourTest):
    def test_raster_marked_adobe_rgb_is_matched_from_the_adobe_rgb_profile(self):
        w, h = self.small.width, self.small.height
        cases = [
            ("urf", URF, pwg.urf_stream(w, h, self.small.pixels, space=URF_ADOBE_RGB)),
            ("pwg", PWG, pwg.write_stream([pwg.encode_page(w, h, self.small.pixels, space=PWG_ADOBE_RGB)])),
        ]
        expected = self.small.expected(["--color-match", "--input-profile", ADOBE_RGB])
        as_srgb = self.small.expected(["--color-match"])
        for tag, fmt, data in cases:
            with self.subTest(tag):
                _, pixels = self.printed(self.write("adobe." + tag, data), fmt, MATCH, "adobe-" + tag, self.small)
                self.assertTrue(pixels == expected, "not matched from the Adobe RGB profile")
                self.assertFalse(pixels == as_srgb)

    def test_an_srgb_page_after_an_adobe_rgb_page_is_matched_as_srgb(self):
        w, h = self.small.width, self.small.height
        stream = pwg.write_stream([pwg.encode_page(w, h, self.small.pixels, space=PWG_ADOBE_RGB),
                                   pwg.encode_page(w, h, self.small.pixels)])
        name, status = self.print_and_wait(self.write("mixed.pwg", stream), PWG, MATCH, name="mixed")
        self.assertEqual(status["job-state"], "completed", status)
        pages = fixtures.read_output(os.path.join(self.out, name + ".pwg"))
        self.assertEqual(len(pages), 2)
        self.assertTrue(pages[0][2] == self.small.expected(["--color-match", "--input-profile", ADOBE_RGB]))
        self.assertTrue(pages[1][2] == self.small.expected(["--color-match"]))

    def test_printer_advertises_adobe_rgb_raster_and_srgb_first(self):
        urf = self.server.printer_attribute(self.printer, "urf-supported").split(",")
        self.assertIn("ADOBERGB24", urf)
        self.assertIn("SRGB24", urf)
        types = self.server.printer_attribute(self.printer, "pwg-raster-document-type-supported").split(",")
        self.assertEqual(sorted(types), ["adobe-rgb_8", "srgb_8"])


if __name__ == "__main__":
    unittest.main()
