"""Printing through the server with ipptool: the printer's attributes, JPEG,
PWG raster and Apple raster pages equal to what k7730-print writes, job
attributes over printer defaults, and the program device."""

import os
import subprocess
import unittest

import base
import fixtures

JPEG, PWG, URF = "image/jpeg", "image/pwg-raster", "image/urf"


class PrintingTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # 4x6 at 300 dpi: PAPPL places the photo without scaling.
        cls.photo = fixtures.Page(cls.work, "photo", 1200, 1800, seed=2)
        # 450 lines: three full bands and a short one, so the lines the
        # sharpening holds back come out at the end of the page.
        cls.small = fixtures.Page(cls.work, "small", 300, 450, seed=3)

    def test_printer_attributes(self):
        run = subprocess.run(["ipptool", "-t", self.server.printer_uri(self.printer),
                              "/usr/share/cups/ipptool/get-printer-attributes.test"],
                             capture_output=True, text=True, timeout=60)
        self.assertEqual(run.returncode, 0, run.stdout)
        attr = lambda name: self.server.printer_attribute(self.printer, name)
        self.assertEqual(attr("k7730-sharpen-supported"), "settings,mild,medium,strong,off")
        self.assertEqual(attr("k7730-color-match-supported"), "settings,on,off")
        self.assertEqual(attr("k7730-intent-supported"), "settings,perceptual,relative,saturation")
        self.assertEqual(attr("print-color-mode-supported"), "color")
        self.assertEqual(attr("printer-resolution-supported"), "300dpi")
        self.assertEqual(attr("media-supported"), "na_index-4x6_4x6in,na_5x7_5x7in,oe_photo-6x8_6x8in")
        formats = attr("document-format-supported").split(",")
        for fmt in (JPEG, PWG, URF):
            self.assertIn(fmt, formats)

    def test_jpeg_page_equals_the_print_command(self):
        name, status = self.print_and_wait(self.photo.jpeg, JPEG, [("keyword", "k7730-sharpen", "mild")])
        self.assertPrinted(name, status, self.photo, self.photo.expected(["--sharpen", "mild"], self.photo.jpeg))

    def test_pwg_page_equals_the_print_command(self):
        attrs = [("keyword", "k7730-color-match", "on"), ("keyword", "k7730-intent", "saturation"),
                 ("keyword", "k7730-sharpen", "strong")]
        name, status = self.print_and_wait(self.small.pwg, PWG, attrs)
        expected = self.small.expected(["--color-match", "--intent", "saturation", "--sharpen", "strong"])
        self.assertPrinted(name, status, self.small, expected)

    def test_apple_raster_page_equals_the_print_command(self):
        attrs = [("keyword", "k7730-color-match", "on"), ("keyword", "k7730-sharpen", "medium")]
        name, status = self.print_and_wait(self.small.urf, URF, attrs)
        self.assertPrinted(name, status, self.small, self.small.expected(["--color-match", "--sharpen", "medium"]))

    def test_validate_job_takes_both_formats_and_prints_nothing(self):
        before = sorted(os.listdir(self.out))
        for path, fmt in ((self.photo.jpeg, JPEG), (self.small.pwg, PWG)):
            self.server.print_job(self.printer, path, fmt, [("keyword", "k7730-intent", "relative")],
                                  operation="Validate-Job")
        self.assertEqual(sorted(os.listdir(self.out)), before)

    def test_job_attributes_override_printer_defaults(self):
        self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "strong")])
        try:
            self.assertEqual(self.server.printer_attribute(self.printer, "k7730-sharpen-default"), "strong")
            name, status = self.print_and_wait(self.small.pwg, PWG, name="default-strong")
            self.assertPrinted(name, status, self.small, self.small.expected(["--sharpen", "strong"]))
            name, status = self.print_and_wait(self.small.pwg, PWG, [("keyword", "k7730-sharpen", "off")],
                                               name="job-off")
            self.assertPrinted(name, status, self.small, self.small.expected(["--no-mtf"]))
        finally:
            self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "settings")])

    def test_rendering_intent_drives_the_module_beside_its_own_attribute(self):
        attr = lambda name: self.server.printer_attribute(self.printer, name)
        self.assertEqual(attr("print-rendering-intent-supported"), "auto,perceptual,relative,saturation")
        self.assertEqual(attr("print-rendering-intent-default"), "auto")
        on = ("keyword", "k7730-color-match", "on")
        intent = lambda value: ("keyword", "print-rendering-intent", value)
        cases = [
            # auto is the settings record's intent, the same as giving none
            ("auto", [on, intent("auto")], ["--color-match"]),
            ("saturation", [on, intent("saturation")], ["--color-match", "--intent", "saturation"]),
            # the module's own attribute names the intent exactly
            ("both", [on, intent("saturation"), ("keyword", "k7730-intent", "relative")],
             ["--color-match", "--intent", "relative"]),
        ]
        for name, attrs, options in cases:
            with self.subTest(name):
                name, status = self.print_and_wait(self.small.pwg, PWG, attrs, name="intent-" + name)
                self.assertPrinted(name, status, self.small, self.small.expected(options))
        self.server.set_printer(self.printer, [("keyword", "print-rendering-intent-default", "saturation"),
                                               ("keyword", "k7730-intent-default", "relative")])
        try:
            # of two printer defaults the module's wins; a job's own value wins over both
            name, status = self.print_and_wait(self.small.pwg, PWG, [on], name="intent-defaults")
            self.assertPrinted(name, status, self.small, self.small.expected(["--color-match", "--intent", "relative"]))
            name, status = self.print_and_wait(self.small.pwg, PWG, [on, intent("perceptual")], name="intent-job")
            self.assertPrinted(name, status, self.small,
                               self.small.expected(["--color-match", "--intent", "perceptual"]))
        finally:
            self.server.set_printer(self.printer, [("keyword", "print-rendering-intent-default", "auto"),
                                                   ("keyword", "k7730-intent-default", "settings")])
        job, _ = self.server.print_job(self.printer, self.small.pwg, PWG, [intent("absolute")], name="absolute")
        status = self.server.wait_job(self.printer, job)
        self.assertEqual(status["job-state"], "aborted")
        self.assertIn("print-rendering-intent=absolute", status["job-state-message"])

    def test_command_device_pipes_the_job_to_a_program(self):
        target = os.path.join(self.work, "piped.pwg")
        script = self.server.add_backend("backend.sh", "#!/bin/sh\ncat > %s.part && mv %s.part %s\n"
                                         % (target, target, target))
        self.server.add_printer("piped", "k7730-command://" + script)
        job, _ = self.server.print_job("piped", self.small.pwg, PWG, name="piped")
        self.assertEqual(self.server.wait_job("piped", job)["job-state"], "completed")
        pages = fixtures.read_output(target)
        self.assertEqual(len(pages), 1)
        self.assertTrue(pages[0][2] == self.small.expected([]))


if __name__ == "__main__":
    unittest.main()
