"""Printers come and go, and the server stops, without the server ever
hanging or leaving half a print behind: deleting a printer (IPP and the
web page, idle and while it prints) keeps the server serving and takes the
printer's settings record with it; SIGTERM after a settings upload and in
the middle of a job ends the server with status 0."""

import os
import time
import unittest

import base
import fixtures
import server

PWG = "image/pwg-raster"

GET_PRINTERS = """{
  NAME "Get-Printers"
  OPERATION Get-Printers
  GROUP operation-attributes-tag
""" + server.HEAD + """  ATTR uri system-uri $uri
  ATTR keyword requested-attributes printer-name
  STATUS successful-ok
}
"""



class LifecycleTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "page", 64, 80, seed=12)
        cls.web = server.Web(cls.server)

    def printer_names(self):
        _, out = self.server.ipptool(self.server.system_uri, GET_PRINTERS)
        return set(v.strip() for v in server.re.findall(r"printer-name \(nameWithoutLanguage\) = (.*)", out))

    def delete_by_ipp(self, name):
        self.server.delete_printer(name)

    def assertServes(self):
        """A new printer prints, so the server answers and its lock is free."""
        name, status = self.print_and_wait(self.page.pwg, PWG, name="serves-%d" % time.monotonic_ns())
        self.assertPrinted(name, status, self.page, self.page.expected([]))

    def test_deleting_an_idle_printer_through_ipp_and_the_web_page(self):
        record = os.path.join(self.work, "mild.k7730")
        server.subprocess.run([server.PRINT, "-q", "settings", "save", record, "--sharpen", "mild"], check=True,
                              env=server.ENV, timeout=60)
        for name, how in (("by-ipp", self.delete_by_ipp), ("by-web", self.delete_by_web)):
            with self.subTest(how.__name__):
                self.server.add_printer(name, "file://" + self.out)
                self.assertEqual(server.settings_command(self.server.state, name, record).returncode, 0)
                how(name)
                self.assertNotIn(name, self.printer_names())
                self.assertFalse(os.path.exists(os.path.join(self.server.state, name + ".k7730")),
                                 "the deleted printer's record stayed behind")
                self.assertServes()

    def delete_by_web(self, name):
        self.web.post_form("/%s/delete" % name, {})

    def test_deleting_a_printer_while_it_prints(self):
        # A device program that reads slowly keeps the job printing.
        started = os.path.join(self.work, "started")
        program = self.server.add_backend("slow", "#!/bin/sh\ntouch %s\nsleep 2\ncat > /dev/null\n" % started)
        self.server.add_printer("busy", "k7730-command://" + program)
        job, _ = self.server.print_job("busy", self.page.pwg, PWG, name="while-deleted", check=False)
        deadline = time.time() + 30
        while not os.path.exists(started) and time.time() < deadline:
            time.sleep(0.05)
        self.delete_by_ipp("busy")
        self.assertServes()
        deadline = time.time() + 30
        while "busy" in self.printer_names() and time.time() < deadline:
            time.sleep(0.2)
        self.assertNotIn("busy", self.printer_names(), "the printer was not deleted once its job ended")


class StopTest(base.ServerTest):
    """SIGTERM, as systemd stops the service; base.ServerTest's stop checks
    the status (0) and the leak report."""

    def partial_files(self):
        return [n for n in os.listdir(self.out) if ".partial" in n or n.startswith(".")]

    def test_sigterm_after_an_upload_and_during_a_job(self):
        page = fixtures.Page(self.work, "big", 1200, 1800, seed=13)
        web = server.Web(self.server)
        with open(os.path.join(self.work, "rec.k7730"), "wb") as f:
            server.subprocess.run([server.PRINT, "-q", "settings", "save", f.name], check=True, env=server.ENV)
        with open(os.path.join(self.work, "rec.k7730"), "rb") as f:
            reply = web.post_form("/%s/k7730" % self.printer, {"action": "Save"}, [("record", "rec.k7730", f.read())])
        self.assertIn("record is stored", reply)
        self.server.print_job(self.printer, page.jpeg, "image/jpeg", name="stopped")
        time.sleep(0.3)
        self.server.stop()
        self.assertEqual(self.partial_files(), [])
        for name in os.listdir(self.out):
            self.assertEqual(len(fixtures.read_output(os.path.join(self.out, name))), 1, name)
        self.server.start()


if __name__ == "__main__":
    unittest.main()
