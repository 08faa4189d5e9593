"""The module's settings on the server: printer defaults and the stored
settings record survive a restart, the record is replaced by the command
and through the web page, and a damaged record is refused by both."""

import html
import os
import re
import subprocess
import unittest

import base
import fixtures
import server

PWG = "image/pwg-raster"


class SettingsTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "page", 160, 200, seed=5)
        cls.record = os.path.join(cls.work, "medium.k7730")
        # The record stores the module's own profiles as empty paths, which
        # the server fills in from the module it loads, as every host does.
        subprocess.run([server.PRINT, "-q", "settings", "save", cls.record, "--sharpen", "medium", "--color-match",
                        "--intent", "relative"], check=True, env=server.ENV, timeout=60)
        cls.web = server.Web(cls.server)
        cls.page_path = "/%s/k7730" % cls.printer

    def setUp(self):
        server.settings_command(self.server.state, self.printer, "-o", "reset=true")

    def stored(self):
        path = os.path.join(self.server.state, self.printer + ".k7730")
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def damaged_record(self):
        with open(self.record, "rb") as f:
            data = bytearray(f.read())
        data[4:8] = b"\0\0\0\0"
        return bytes(data)

    def test_record_and_defaults_survive_a_restart(self):
        run = server.settings_command(self.server.state, self.printer, self.record)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.server.set_printer(self.printer, [("keyword", "k7730-intent-default", "saturation")])
        try:
            self.server.stop()
            self.server.start()
            self.assertEqual(self.server.printer_attribute(self.printer, "k7730-intent-default"), "saturation")
            name, status = self.print_and_wait(self.page.pwg, PWG)
            expected = self.page.expected(["--settings", self.record, "--color-match", "--intent", "saturation"])
            self.assertPrinted(name, status, self.page, expected)
        finally:
            self.server.set_printer(self.printer, [("keyword", "k7730-intent-default", "settings")])

    def test_command_refuses_a_damaged_record_and_keeps_the_stored_one(self):
        server.settings_command(self.server.state, self.printer, self.record)
        before = self.stored()
        bad = os.path.join(self.work, "bad.k7730")
        with open(bad, "wb") as f:
            f.write(self.damaged_record())
        run = server.settings_command(self.server.state, self.printer, bad)
        self.assertEqual(run.returncode, 1)
        self.assertIn("not a settings record", run.stderr)
        self.assertEqual(self.stored(), before)

    def test_page_shows_the_choices_profiles_and_curves(self):
        page = self.web.get(self.page_path).decode()
        for option in ("k7730-sharpen", "k7730-color-match", "k7730-intent"):
            self.assertIn('name="%s"' % option, page)
        self.assertIn("K77302.ICC", page)
        self.assertEqual(len(re.findall(r"<svg[^>]*class=\"k7730-curve\"", page)), 2)
        self.assertIn('accept=".k77,', page)

    def in_force(self):
        """The rows of the page's view of the settings in force, as text."""
        page = self.web.get(self.page_path).decode()
        rows = re.findall(r'<tr id="k7730-([a-z-]+)"><th>[^<]*</th><td>(.*?)</td></tr>', page)
        return {k: html.unescape(re.sub(r"<[^>]+>", "", v)) for k, v in rows}

    def test_page_says_what_a_job_gets_and_where_it_comes_from(self):
        rows = self.in_force()
        self.assertIn("the printer's defaults", rows["record"])
        self.assertEqual(rows["sharpen"], "mild (the printer's defaults)")
        self.assertEqual(rows["color-match"], "on (the printer's defaults)")
        self.assertEqual(rows["intent"], "perceptual (the printer's defaults)")
        self.assertIn("the module's default A17D50.ICC", rows["input-profile"])
        self.assertEqual(rows["printer-profile"], "the module's default K77302.ICC")
        # A stored record with its empty profile paths, under a printer
        # default that overrides its sharpening.
        server.settings_command(self.server.state, self.printer, self.record)
        self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "strong")])
        try:
            rows = self.in_force()
        finally:
            self.server.set_printer(self.printer, [("keyword", "k7730-sharpen-default", "settings")])
        self.assertIn("stored for this printer", rows["record"])
        self.assertEqual(rows["sharpen"], "strong (the printer's default k7730-sharpen=strong)")
        self.assertEqual(rows["intent"], "relative (the stored record)")
        self.assertEqual(rows["printer-profile"], "the module's default K77302.ICC")
        self.assertIn("MTF sharpening (strong); colour matching, relative colorimetric", rows["summary"])

    def test_record_uploaded_through_the_page_is_stored_and_downloaded(self):
        with open(self.record, "rb") as f:
            data = f.read()
        reply = self.web.post_form(self.page_path, {"k7730-sharpen": "mild", "action": "Save"},
                                   [("record", "medium.k7730", data)])
        self.assertIn("uploaded settings record is stored", reply)
        self.assertEqual(self.stored(), data)
        self.assertEqual(self.web.get(self.page_path + ".record"), data)
        self.assertEqual(self.server.printer_attribute(self.printer, "k7730-sharpen-default"), "mild")
        self.web.post_form(self.page_path, {"k7730-sharpen": "settings", "action": "Save"})

    def test_damaged_upload_is_refused_and_changes_nothing(self):
        reply = self.web.post_form(self.page_path, {"k7730-sharpen": "strong", "action": "Save"},
                                   [("record", "bad.k7730", self.damaged_record())])
        self.assertIn("Not saved", reply)
        self.assertIn("not a settings record", reply)
        self.assertIsNone(self.stored())
        self.assertEqual(self.server.printer_attribute(self.printer, "k7730-sharpen-default"), "settings")
        # The next job still prints with the printer's defaults.
        name, status = self.print_and_wait(self.page.pwg, PWG)
        self.assertPrinted(name, status, self.page, self.page.expected([]))


if __name__ == "__main__":
    unittest.main()
