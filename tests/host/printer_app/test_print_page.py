"""The Print a Photo page in headless chromium: a photo picked, its proof
shown (the proof k7730-print --proof makes), printed as a job whose pages
equal k7730-print's for the same choices; a file that is not a photo, or
one too large, refused with a message and nothing printed."""

import os
import re
import subprocess
import time
import unittest
import urllib.error
import urllib.request

import base
import cdp
import fixtures
import pwg
import server


def as_ppm_pixels(png_bytes, workdir, name):
    """The pixels of a PNG, through ImageMagick."""
    path = os.path.join(workdir, name + ".ppm")
    subprocess.run(["convert", "png:-", path], input=png_bytes, check=True, timeout=60)
    return pwg.read_ppm(path)


class PrintPageTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # 4x6 at 300 dpi: PAPPL places the photo without scaling.
        cls.photo = fixtures.Page(cls.work, "photo", 1200, 1800, seed=31)
        cls.url = "http://localhost:%d/%s/k7730-print-photo" % (cls.server.port, cls.printer)

    def proof_of_the_command(self, options):
        out = os.path.join(self.work, "command-proof.png")
        subprocess.run([server.PRINT, "-q", "--settings", server.printer_defaults_record(self.work), "--media", "4x6"]
                       + options + ["--proof-only", "--proof", out, self.photo.jpeg], check=True, env=server.ENV,
                       timeout=120)
        with open(out, "rb") as f:
            return as_ppm_pixels(f.read(), self.work, "command-proof")

    def wait_for(self, browser, expression, timeout=120):
        deadline = time.time() + timeout
        while time.time() < deadline:
            value = browser.evaluate(expression)
            if value:
                return value
            time.sleep(0.2)
        raise AssertionError("the page never showed " + expression)

    def status(self, browser):
        return browser.evaluate("document.getElementById('k7730-status').textContent")

    def test_photo_proofed_and_printed_from_the_page(self):
        browser = cdp.Browser(self.work)
        try:
            browser.open_page()
            browser.navigate(self.url)
            browser.set_file("#k7730-photo", self.photo.jpeg)
            browser.evaluate("document.getElementById('k7730-sharpen').value = 'strong'")
            browser.evaluate("document.getElementById('k7730-show-proof').click()")
            self.assertEqual(self.wait_for(browser, "document.getElementById('k7730-proof').naturalWidth"), 1200)
            browser.evaluate("document.getElementById('k7730-print').click()")
            sent = self.wait_for(browser, "/Sent as job \\d+/.test(document.getElementById('k7730-status')"
                                          ".textContent) && document.getElementById('k7730-status').textContent")
            browser.screenshot(os.path.join(base.WORK, "printer-app-print-page.png"))
        finally:
            browser.close()
        job = int(re.search(r"job (\d+)", sent).group(1))
        status = self.server.wait_job(self.printer, job)
        name = os.path.basename(self.photo.jpeg)   # the job is named after the file
        self.assertPrinted(name, status, self.photo, self.photo.expected(["--sharpen", "strong"], self.photo.jpeg))

    def post_proof(self, data, **choices):
        web = server.Web(self.server)
        token = re.search(r'data-session="([0-9a-f]+)"', web.get("/%s/k7730-print-photo" % self.printer).decode())
        query = dict({"session": token.group(1), "media": "na_index-4x6_4x6in", "fit": "fill",
                      "k7730-sharpen": "settings", "k7730-color-match": "settings", "k7730-intent": "settings"}, **choices)
        request = urllib.request.Request(web.base + "/%s/k7730-proof?" % self.printer + urllib.parse.urlencode(query),
                                         data=data, method="POST")
        try:
            with web.opener.open(request, timeout=120) as reply:
                return reply.status, reply.read()
        except urllib.error.HTTPError as e:
            return e.code, e.read()

    def test_proof_is_the_one_the_print_command_makes(self):
        with open(self.photo.jpeg, "rb") as f:
            code, png = self.post_proof(f.read(), **{"k7730-sharpen": "medium", "fit": "fit"})
        self.assertEqual(code, 200, png)
        self.assertTrue(as_ppm_pixels(png, self.work, "page-proof") ==
                        self.proof_of_the_command(["--fit", "--sharpen", "medium"]))

    def test_not_a_photo_or_too_large_is_refused_and_nothing_printed(self):
        before = sorted(os.listdir(self.out))
        code, text = self.post_proof(b"K7730 is not a photo\n" * 100)
        self.assertEqual(code, 400)
        self.assertIn(b"the photo: not an image", text)
        code, text = self.post_proof(b"\xff\xd8\xff\xe0" + bytes(51 << 20))
        self.assertEqual(code, 413)
        self.assertIn(b"larger than 50 MiB", text)
        not_a_photo = os.path.join(self.work, "notes.txt")
        with open(not_a_photo, "w") as f:
            f.write("not a photo\n")
        browser = cdp.Browser(self.work)
        try:
            browser.open_page()
            browser.navigate(self.url)
            browser.set_file("#k7730-photo", not_a_photo)
            browser.evaluate("document.getElementById('k7730-print').click()")
            self.assertEqual(self.wait_for(browser, "document.getElementById('k7730-status').textContent.startsWith"
                                                    "('This printer') && document.getElementById('k7730-status')"
                                                    ".textContent"),
                             "This printer prints PNG, TIFF, JPEG, WebP or HEIF (HEIC, AVIF); the photo was not sent.")
            browser.evaluate("document.getElementById('k7730-show-proof').click()")
            refused = self.wait_for(browser, "document.getElementById('k7730-status').textContent.startsWith"
                                             "('No proof') && document.getElementById('k7730-status').textContent")
            self.assertIn("the photo: not an image", refused)
        finally:
            browser.close()
        self.assertEqual(sorted(os.listdir(self.out)), before)


if __name__ == "__main__":
    unittest.main()
