"""A test class with a server of its own and one printer writing to a folder."""

import os
import shutil
import tempfile
import unittest

import fixtures
import server

WORK = os.environ.get("K7730_TEST_WORK", tempfile.gettempdir())


class ServerTest(unittest.TestCase):
    printer = "photo"

    @classmethod
    def setUpClass(cls):
        os.makedirs(WORK, exist_ok=True)
        cls.work = tempfile.mkdtemp(prefix=cls.__name__ + "-", dir=WORK)
        cls.out = os.path.join(cls.work, "out")
        os.mkdir(cls.out)
        cls.server = server.Server(cls.work)
        cls.server.start()
        try:
            cls.server.add_printer(cls.printer, "file://" + cls.out)
        except Exception:
            cls.server.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        if not os.environ.get("K7730_KEEP_WORK"):
            shutil.rmtree(cls.work, ignore_errors=True)

    def print_and_wait(self, path, fmt, attrs=(), name=None, printer=None):
        printer = printer or self.printer
        name = name or self.id().split(".")[-1]
        job, _ = self.server.print_job(printer, path, fmt, attrs, name=name)
        return name, self.server.wait_job(printer, job)

    def output_of(self, name):
        """The single page the device wrote for the job named `name`."""
        pages = fixtures.read_output(os.path.join(self.out, name + ".pwg"))
        self.assertEqual(len(pages), 1)
        return pages[0]

    def assertPrinted(self, name, status, page, expected):
        self.assertEqual(status["job-state"], "completed", status)
        width, height, pixels = self.output_of(name)
        self.assertEqual((width, height), getattr(page, "device_size", (page.width, page.height)))
        self.assertTrue(pixels == expected, "the device's pixels differ from k7730-print's for " + name)
