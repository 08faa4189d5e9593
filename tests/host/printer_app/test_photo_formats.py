"""Photos beyond JPEG and PNG: TIFF, and WebP, HEIC and AVIF, which are only
read, never written, are advertised and print as k7730-print prints them; a
damaged one is refused with the reason."""

import os
import subprocess
import unittest

import base
import fixtures

TIFF, WEBP, HEIC, AVIF = "image/tiff", "image/webp", "image/heic", "image/avif"
OCTETS = "application/octet-stream"


class PhotoFormatTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # 4x6 inches at 300 dpi: PAPPL places a photo of this size without scaling.
        cls.page = fixtures.Page(cls.work, "photo", 1200, 1800, seed=11)
        cls.files = {}
        for ext, options in (("tiff", ["-depth", "16"]), ("webp", ["-define", "webp:lossless=true"]),
                             ("heic", ["-quality", "85"]), ("avif", ["-quality", "85"])):
            path = os.path.join(cls.work, "photo." + ext)
            subprocess.run(["convert", cls.page.ppm] + options + [path], check=True, timeout=120)
            cls.files[ext] = path

    def test_the_four_types_are_advertised(self):
        formats = self.server.printer_attribute(self.printer, "document-format-supported").split(",")
        for fmt in (TIFF, WEBP, HEIC, AVIF):
            self.assertIn(fmt, formats)

    def test_tiff_webp_heic_and_avif_print_as_the_command_prints_them(self):
        for ext, fmt in (("tiff", TIFF), ("webp", WEBP), ("heic", HEIC), ("avif", AVIF)):
            with self.subTest(ext):
                name, status = self.print_and_wait(self.files[ext], fmt, name="photo-" + ext)
                expected = self.page.expected([], self.files[ext])
                self.assertPrinted(name, status, self.page, expected)
        # A 16-bit TIFF and a lossless WebP keep the photo's own pixels.
        for ext in ("tiff", "webp"):
            self.assertEqual(self.page.expected([], self.files[ext]), self.page.expected([]))

    def test_a_cut_avif_is_refused_with_the_reason_and_the_next_job_prints(self):
        with open(self.files["avif"], "rb") as f:
            data = f.read()
        cut = os.path.join(self.work, "cut.avif")
        with open(cut, "wb") as f:
            f.write(data[:len(data) // 2])
        name, status = self.print_and_wait(cut, AVIF, name="cut-avif")
        self.assertEqual(status["job-state"], "aborted", status)
        self.assertIn("HEIF", status["job-state-message"] or "")
        self.assertFalse(os.path.exists(os.path.join(self.out, name + ".pwg")), "the device received a refused job")
        name, status = self.print_and_wait(self.files["webp"], WEBP, name="after-cut")
        self.assertEqual(status["job-state"], "completed", status)

    def test_sent_as_octet_stream_they_are_refused_as_of_no_known_format(self):
        # PAPPL types only its own formats (JPEG, PNG, PDF, raster) from the
        # bytes; these must be sent under their names.
        job, _ = self.server.print_job(self.printer, self.files["webp"], OCTETS, name="untyped-webp")
        status = self.server.wait_job(self.printer, job)
        self.assertEqual(status["job-state"], "aborted", status)
        self.assertIn("format of the document is not known", status["job-state-message"] or "")


if __name__ == "__main__":
    unittest.main()
