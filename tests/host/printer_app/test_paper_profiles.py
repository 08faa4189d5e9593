"""Paper profiles on the web page in headless chromium: a good profile and a
damaged one uploaded (the damaged one refused with the reason the print
command gives), one chosen and printed with, kept over a restart, published
as printer-icc-profiles with a URI that serves its bytes; names and sizes a
client cannot get past."""

import os
import re
import shutil
import subprocess
import unittest
import urllib.error

import base
import cdp
import fixtures
import server

PWG = "image/pwg-raster"
GOOD = "/usr/share/color/icc/colord/ProPhotoRGB.icc"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class PaperProfileTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "page", 160, 200, seed=21)
        cls.good = os.path.join(cls.work, "luster.icc")
        shutil.copyfile(GOOD, cls.good)
        # The module's own printer profile cut short: its header promises more.
        cls.damaged = os.path.join(cls.work, "damaged.icc")
        with open(cls.damaged, "wb") as f:
            f.write(read(os.path.join(server.BUILD, "K77302.ICC"))[:3000])
        cls.web = server.Web(cls.server)
        cls.url = "http://localhost:%d/%s/k7730-papers" % (cls.server.port, cls.printer)

    def print_command_reason(self, profile):
        """Why k7730-print refuses `profile` as the printer profile."""
        run = subprocess.run([server.PRINT, "--color-match", "--output-profile", profile, self.page.ppm,
                              os.path.join(self.work, "refused.ppm")], capture_output=True, text=True,
                             env=server.ENV, timeout=60)
        self.assertEqual(run.returncode, 1, run.stderr)
        return run.stderr.split("printer profile %s: " % profile, 1)[1].strip()

    def submit(self, browser, script):
        browser.evaluate(script)
        browser.wait_event("Page.loadEventFired")
        return browser.evaluate("document.getElementById('k7730-status').textContent")

    def upload(self, browser, name, path):
        browser.evaluate("document.getElementById('k7730-name').value = %r" % name)
        browser.set_file("#k7730-profile", path)
        return self.submit(browser, "document.querySelector('input[value=Upload]').click()")

    def press(self, browser, name, action):
        return self.submit(browser, "document.querySelector('tr[data-name=\"%s\"] input[value=\"%s\"]').click()"
                           % (name, action))

    def published(self):
        """(profile-name, the path of profile-url) of printer-icc-profiles."""
        value = self.server.printer_attribute(self.printer, "printer-icc-profiles") or ""
        m = re.search(r"profile-name=(\S+) profile-url=http://[^/]+(/\S+)\}", value)
        self.assertIsNotNone(m, value)
        return m.group(1), m.group(2)

    def test_profiles_chosen_on_the_page_print_and_survive_a_restart(self):
        self.assertEqual(self.published()[0], "K77302.ICC")
        browser = cdp.Browser(self.work)
        try:
            browser.open_page()
            browser.navigate(self.url)
            self.assertEqual(self.upload(browser, "Luster-1", self.good), "The paper profile Luster-1 is stored.")
            refused = self.upload(browser, "Broken", self.damaged)
            self.assertTrue(refused.startswith("Not done"), refused)
            self.assertIn(self.print_command_reason(self.damaged), refused)
            names = browser.evaluate("[...document.querySelectorAll('#k7730-papers tr')].map(r => r.dataset.name)")
            self.assertEqual(names, ["Luster-1"])
            self.assertEqual(self.press(browser, "Luster-1", "Use for this printer"),
                             "Luster-1 is now this printer's profile.")
            browser.screenshot(os.path.join(base.WORK, "printer-app-paper-profiles-page.png"))
        finally:
            browser.close()
        name, status = self.print_and_wait(self.page.pwg, PWG, name="with-luster")
        self.assertPrinted(name, status, self.page, self.page.expected(["--color-match", "--output-profile", GOOD]))
        for restarted in (False, True):
            with self.subTest(restarted=restarted):
                profile, path = self.published()
                self.assertEqual(profile, "Luster-1")
                self.assertEqual(self.web.get(path), read(GOOD))
                self.assertEqual(self.web.get("/%s/k7730-papers.icc?name=Luster-1" % self.printer), read(GOOD))
                self.server.stop()
                self.server.start()

    def test_a_profile_in_use_is_not_deleted(self):
        self.web.post_form("/%s/k7730-papers" % self.printer, {"name": "InUse", "action": "Upload"},
                           [("profile", "inuse.icc", read(GOOD))])
        reply = self.web.post_form("/%s/k7730-papers" % self.printer, {"name": "InUse", "action": "Use for this printer"})
        self.assertIn("InUse is now this printer's profile", reply)
        reply = self.web.post_form("/%s/k7730-papers" % self.printer, {"name": "InUse", "action": "Delete"})
        self.assertIn("InUse is the profile of %s" % self.printer, reply)
        # Back to the printer's defaults on the Module Settings page: their
        # profile is published again.
        self.web.post_form("/%s/k7730" % self.printer, {"action": "Use the printer's defaults"})
        self.assertEqual(self.published()[0], "K77302.ICC")
        reply = self.web.post_form("/%s/k7730-papers" % self.printer, {"name": "InUse", "action": "Delete"})
        self.assertIn("The paper profile InUse was deleted.", reply)
        self.assertFalse(os.path.exists(os.path.join(self.server.state, "profiles", "InUse.icc")))

    def test_names_and_sizes_a_client_cannot_get_past(self):
        page = "/%s/k7730-papers" % self.printer
        for name in ("../escaped", ".hidden", "a/b", "", "x" * 49):
            with self.subTest(name=name):
                reply = self.web.post_form(page, {"name": name, "action": "Upload"}, [("profile", "p.icc", read(GOOD))])
                self.assertIn("Not done", reply)
        self.assertFalse(os.path.exists(os.path.join(self.server.state, "escaped.icc")))
        # A plain field naming a file on the server is no upload: the file
        # is neither stored as a profile nor removed as an upload would be.
        bystander = os.path.join(self.work, "bystander.icc")
        with open(bystander, "wb") as f:
            f.write(read(GOOD))
        reply = self.web.post_form(page, {"name": "Named", "action": "Upload", "profile": bystander})
        self.assertIn("did not arrive as a file upload", reply)
        self.assertTrue(os.path.exists(bystander))
        self.assertFalse(os.path.exists(os.path.join(self.server.state, "profiles", "Named.icc")))
        for name in ("../k7730-printer-app.state", "%2e%2e%2fk7730-printer-app.state", "missing"):
            with self.subTest(download=name):
                with self.assertRaises(urllib.error.HTTPError) as caught:
                    self.web.get(page + ".icc?name=" + name)
                self.assertEqual(caught.exception.code, 404)
        # More than PAPPL reads of a form: said so, not taken for a form
        # without its file.
        reply = self.web.post_form(page, {"name": "Huge", "action": "Upload"},
                                   [("profile", "huge.icc", read(GOOD) * 150)])
        self.assertIn("a profile may have at most 2032 KiB", reply)
        self.assertNotIn("Huge", os.listdir(os.path.join(self.server.state, "profiles")) if
                         os.path.isdir(os.path.join(self.server.state, "profiles")) else [])


if __name__ == "__main__":
    unittest.main()
