"""What a printer tells people about itself: Identify-Printer shows the
client's message on the printer's page for a while and in the log, and
the supplies are a ribbon and paper of unknown level, never made-up
numbers."""

import re
import subprocess
import unittest

import base
import server

IPPTOOL_DIR = "/usr/share/cups/ipptool"

IDENTIFY = """{
  NAME "Identify-Printer"
  OPERATION Identify-Printer
  GROUP operation-attributes-tag
""" + server.HEAD + """  ATTR uri printer-uri $uri
  ATTR name requesting-user-name tester
  ATTR keyword identify-actions display
  ATTR text message $message
  STATUS successful-ok
}
"""


class PrinterStatusTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.web = server.Web(cls.server)

    def page(self):
        return self.web.get("/%s/k7730" % self.printer).decode()

    def test_identify_shows_the_message_on_the_printer_page(self):
        attr = lambda name: self.server.printer_attribute(self.printer, name)
        self.assertEqual(attr("identify-actions-supported"), "display")
        self.assertEqual(attr("identify-actions-default"), "display")
        self.assertNotIn("k7730-identify", self.page())
        # Debian's own test file, as a person would try it first.
        run = subprocess.run(["ipptool", "-t", self.server.printer_uri(self.printer),
                              IPPTOOL_DIR + "/identify-printer-display.test"],
                             capture_output=True, text=True, timeout=60)
        self.assertEqual(run.returncode, 0, run.stdout)
        self.assertRegex(self.page(), r'id="k7730-identify">Identify-Printer at \d\d:\d\d:\d\d UTC: Hello, World!<')
        # A client's message is text, not markup; the latest one is shown.
        self.server.ipptool(self.server.printer_uri(self.printer), IDENTIFY,
                            variables={"message": "<b>tray 2</b> & more"})
        page = self.page()
        self.assertRegex(page, r"UTC: &lt;b(>|&gt;)tray 2&lt;/b(>|&gt;) &amp; more<")
        self.assertNotIn("<b>", page)
        self.assertNotIn("Hello, World!", page)
        # A long message is cut at a character, and the page stays UTF-8.
        self.server.ipptool(self.server.printer_uri(self.printer), IDENTIFY, variables={"message": "a" + "\u00e9" * 150})
        shown = re.search(r'id="k7730-identify">[^<]*UTC: a(\u00e9+)<', self.page())
        self.assertEqual(len(shown.group(1)), 99)
        with open(self.server.log, errors="replace") as f:
            self.assertIn('Identify-Printer (actions 0x1): showing "Hello, World!"', f.read())

    def test_supplies_are_ribbon_and_paper_of_unknown_level(self):
        attr = lambda name: self.server.printer_attribute(self.printer, name)
        self.assertEqual(attr("printer-supply-description"), "Dye ribbon,Photo paper")
        supplies = attr("printer-supply")
        levels = re.findall(r"level=(-?\d+);", supplies)
        self.assertEqual(levels, ["-2", "-2"], supplies)
        self.assertIn("type=inkRibbon", supplies)
        self.assertEqual(attr("marker-levels"), "-2,-2")


if __name__ == "__main__":
    unittest.main()
