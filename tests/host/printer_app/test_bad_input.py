"""Documents and devices the printer must refuse: each job ends aborted
with a reason a client can read, the device gets nothing for it, and the
next good job prints."""

import os
import struct
import unittest

import base
import fixtures
import pwg

JPEG, PWG = "image/jpeg", "image/pwg-raster"


def patch_jpeg_size(data, width, height):
    """The JPEG with its frame header claiming another size."""
    pos = 2
    while True:
        marker, length = data[pos + 1], struct.unpack_from(">H", data, pos + 2)[0]
        if 0xC0 <= marker <= 0xC2:
            out = bytearray(data)
            struct.pack_into(">HH", out, pos + 5, height, width)
            return bytes(out)
        pos += 2 + length


class BadInputTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "page", 200, 300, seed=4)
        with open(cls.page.jpeg, "rb") as f:
            cls.jpeg_bytes = f.read()
        with open(cls.page.pwg, "rb") as f:
            cls.pwg_bytes = f.read()

    def write(self, name, data):
        path = os.path.join(self.work, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def assertRefused(self, path, fmt, reason_words, attrs=(), timeout=None):
        before = set(os.listdir(self.out))
        name = "bad-" + os.path.basename(path)
        job = self.server.next_job_id(self.printer)
        # A stream that stops short keeps PAPPL waiting for the rest until
        # the client gives up; the job is judged afterwards either way.
        self.server.print_job(self.printer, path, fmt, attrs, name=name, check=timeout is None, timeout=timeout)
        status = self.server.wait_job(self.printer, job)
        self.assertEqual(status["job-state"], "aborted", status)
        message = status["job-state-message"] or ""
        for word in reason_words:
            self.assertIn(word, message)
        self.assertEqual(set(os.listdir(self.out)), before, "the device received a refused job")
        # The next good job prints.
        good, status = self.print_and_wait(self.page.pwg, PWG, name="after-" + os.path.basename(path))
        self.assertPrinted(good, status, self.page, self.page.expected([]))

    def test_truncated_jpeg(self):
        path = self.write("cut.jpg", self.jpeg_bytes[:len(self.jpeg_bytes) * 2 // 3])
        self.assertRefused(path, JPEG, ["JPEG", "Premature end"])

    def test_jpeg_claiming_an_absurd_size(self):
        path = self.write("huge.jpg", patch_jpeg_size(self.jpeg_bytes, 65000, 65000))
        self.assertRefused(path, JPEG, ["65000 x 65000"])

    def test_pwg_stream_cut_inside_a_page(self):
        path = self.write("cut.pwg", self.pwg_bytes[:len(self.pwg_bytes) - 2000])
        self.assertRefused(path, PWG, ["ends at line"], timeout=5)

    def test_sixteen_bit_page(self):
        page = pwg.encode_page(200, 300, self.page.pixels * 2, bits=16)
        self.assertRefused(self.write("16bit.pwg", pwg.write_stream([page])), PWG, ["8-bit"])

    def test_cmyk_page(self):
        page = pwg.encode_page(200, 300, self.page.pixels + bytes(200 * 300), colors=4, space=pwg.CMYK)
        self.assertRefused(self.write("cmyk.pwg", pwg.write_stream([page])), PWG, ["CMYK"])

    def test_page_claiming_100000_by_100000_pixels(self):
        stream = pwg.write_stream([pwg.make_header(100000, 100000) + bytes(4096)])
        self.assertRefused(self.write("absurd.pwg", stream), PWG, ["100000 x 100000"])

    def test_unknown_vendor_value(self):
        self.assertRefused(self.page.pwg, PWG, ["k7730-sharpen=extreme", "mild"],
                           attrs=[("keyword", "k7730-sharpen", "extreme")])


class DeviceTest(base.ServerTest):
    """Devices that cannot take a job end it with the reason."""

    def test_unknown_scheme_is_refused_when_the_printer_is_made(self):
        self.server.add_printer("nowhere", "lpd://printer.invalid/queue",
                                expect="client-error-attributes-or-values-not-supported")

    def test_folder_removed_after_setup_aborts_the_job_with_the_reason(self):
        folder = os.path.join(self.work, "removed-folder")
        os.mkdir(folder)
        self.server.add_printer("gone", "file://" + folder)
        os.rmdir(folder)
        page = fixtures.Page(self.work, "page", 40, 60)
        job, _ = self.server.print_job("gone", page.pwg, PWG, name="to-nowhere")
        status = self.server.wait_job("gone", job)
        self.assertEqual(status["job-state"], "aborted")
        self.assertIn("removed-folder does not exist", status["job-state-message"])

    def test_program_removed_after_setup_aborts_the_job_with_the_reason(self):
        program = self.server.add_backend("going", "#!/bin/sh\ncat > /dev/null\n")
        self.server.add_printer("noprog", "k7730-command://" + program)
        os.unlink(program)
        page = fixtures.Page(self.work, "page", 40, 60)
        job, _ = self.server.print_job("noprog", page.pwg, PWG, name="to-no-program")
        status = self.server.wait_job("noprog", job)
        self.assertEqual(status["job-state"], "aborted")
        self.assertIn("going cannot be used", status["job-state-message"])


if __name__ == "__main__":
    unittest.main()
