"""The module settings page in a real browser: headless chromium loads it,
changes the sharpening default through the form, and ipptool sees the
printer's new default. A screenshot of the page is kept beside the test's
work folder."""

import os
import unittest

import base
import cdp


class BrowserTest(base.ServerTest):
    def test_sharpening_default_changed_through_the_page(self):
        browser = cdp.Browser(self.work)
        try:
            browser.open_page()
            url = "http://localhost:%d/%s/k7730" % (self.server.port, self.printer)
            browser.navigate(url)
            self.assertEqual(browser.evaluate("document.querySelectorAll('svg.k7730-curve').length"), 2)
            self.assertEqual(browser.evaluate("document.getElementById('k7730-sharpen').value"), "settings")
            browser.evaluate("document.getElementById('k7730-sharpen').value = 'strong';"
                             "document.querySelector('input[type=submit][value=Save]').click()")
            browser.wait_event("Page.loadEventFired")
            status = browser.evaluate("document.getElementById('k7730-status').textContent")
            self.assertEqual(status, "The defaults were saved.")
            self.assertEqual(browser.evaluate("document.getElementById('k7730-sharpen').value"), "strong")
            browser.screenshot(os.path.join(base.WORK, "printer-app-settings-page.png"))
        finally:
            browser.close()
        self.assertEqual(self.server.printer_attribute(self.printer, "k7730-sharpen-default"), "strong")


if __name__ == "__main__":
    unittest.main()
