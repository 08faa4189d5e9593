"""The server behind the two CUPS queues the administrators' guide makes,
in a cupsd of the test's own: a driverless one, through which an office
document's Letter page arrives fitted onto the printer's default medium and
photos print with the printer's defaults; and a photo queue without a
driver, through which a job's own module choices reach the server.

CUPS 2.4 (Debian 12) passes a job option on to an IPP printer of a
driverless queue only when it is one of the common ones or the printer
lists it in printer-mandatory-job-attributes, and listing it there breaks
the queue (see printer_driver.cpp); a queue without a driver passes every
option as it is. The test keeps the first in view, so that a CUPS that
passes them on is noticed."""

import os
import re
import unittest

import base
import cupsd
import fixtures


def minimal_pdf(width, height):
    """A one-page PDF of `width` x `height` points: a blue square on white."""
    content = b"0 0 1 rg 50 50 200 200 re f"
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents 4 0 R /Resources << >> >>" % (width, height),
        b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content),
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


class CupsQueueTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.cups = cupsd.Cupsd(os.path.join(cls.work, "cups"))
        try:
            cls.cups.start()
            cls.cups.run("lpadmin", "-p", "k7730", "-E", "-v", cls.server.printer_uri(cls.printer), "-m", "everywhere")
            # No driver: CUPS sends the photo and every option as they are;
            # it would ask for monochrome, which a photo printer does not do.
            cls.cups.run("lpadmin", "-p", "k7730-photo", "-E", "-v", cls.server.printer_uri(cls.printer),
                         "-o", "print-color-mode-default=color")
        except Exception:
            cls.cups.stop()
            cls.server.stop()
            raise
        cls.photo = fixtures.Page(cls.work, "photo", 1200, 1800, seed=21)

    @classmethod
    def tearDownClass(cls):
        cls.cups.stop()
        super().tearDownClass()

    def lp(self, path, title, *options, queue="k7730"):
        """Prints through the queue; the page the device got."""
        args = ["lp", "-d", queue, "-t", title]
        for option in options:
            args += ["-o", option]
        run = self.cups.run(*(args + [path]))
        job = int(re.search(r"request id is %s-(\d+)" % re.escape(queue), run.stdout).group(1))
        self.cups.wait_job(job)
        return self.output_of(title)

    def test_photos_print_with_the_printer_defaults(self):
        default = self.photo.expected([], self.photo.jpeg)
        self.assertTrue(self.lp(self.photo.jpeg, "plain")[2] == default)
        # dropped by CUPS on the way: the printer's defaults apply
        for title, option in (("strong", "k7730-sharpen=strong"), ("relative", "print-rendering-intent=relative")):
            with self.subTest(option):
                self.assertTrue(self.lp(self.photo.jpeg, title, option)[2] == default)
        self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "strong")])
        try:
            page = self.lp(self.photo.jpeg, "default-strong")
            self.assertTrue(page[2] == self.photo.expected(["--sharpen", "strong"], self.photo.jpeg))
        finally:
            self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "settings")])

    def test_the_photo_queue_passes_the_jobs_own_choices(self):
        def photo(title, *options):
            return self.lp(self.photo.jpeg, title, *options, queue="k7730-photo")[2]

        strong = photo("photo-strong", "k7730-sharpen=strong")
        self.assertTrue(strong == self.photo.expected(["--sharpen", "strong"], self.photo.jpeg))
        self.assertFalse(strong == photo("photo-off", "k7730-sharpen=off"))
        relative = photo("photo-relative", "print-rendering-intent=relative")
        self.assertTrue(relative == photo("photo-k7730-relative", "k7730-intent=relative"))
        self.assertFalse(relative == photo("photo-perceptual", "print-rendering-intent=perceptual"))

    def test_letter_document_arrives_on_the_default_medium(self):
        path = os.path.join(self.work, "letter.pdf")
        with open(path, "wb") as f:
            f.write(minimal_pdf(612, 792))
        width, height, pixels = self.lp(path, "letter")
        self.assertEqual((width, height), (1200, 1800))
        # the blue square, scaled with the page, is on it (as the printer's
        # device values for blue after colour matching: blue, little green)
        self.assertTrue(any(pixels[i + 2] > 200 and pixels[i + 1] < 60 for i in range(0, len(pixels), 3 * 97)))


if __name__ == "__main__":
    unittest.main()
