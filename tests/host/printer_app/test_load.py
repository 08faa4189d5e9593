"""Load: 40 jobs from 4 clients at once, JPEG and PWG raster with mixed
options. Every job completes with the expected pixels, and the server's
resident memory stays below a bound while they run and falls back near
its idle size afterwards (read from /proc)."""

import threading
import time
import unittest

import base
import fixtures
import server

CLIENTS = 4
JOBS_PER_CLIENT = 10
# Resident memory of the sanitizer build: the module, PAPPL and the
# sanitizer's own tables when idle; one page at a time (a 4x6 photo is
# 6.5 MB of pixels, decoded, corrected and kept until the page is whole)
# and its band buffers while printing. Jobs queue on the printer instead of
# adding memory, so the bound does not grow with the number of clients.
PEAK_OVER_IDLE_MIB = 150
SETTLED_OVER_IDLE_MIB = 40


class LoadTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        # Freed memory goes back to the system promptly, so that what stays
        # resident after the jobs measures what the server keeps.
        server.SERVER_ENV["ASAN_OPTIONS"] += ":quarantine_size_mb=8:allocator_release_to_os_interval_ms=100"
        super().setUpClass()
        photo = fixtures.Page(cls.work, "photo", 1200, 1800, seed=6)
        small = fixtures.Page(cls.work, "small", 400, 520, seed=7)
        # (document, format, job attributes, k7730-print options, page)
        cls.kinds = [
            (photo.jpeg, "image/jpeg", [("keyword", "k7730-sharpen", "medium")], ["--sharpen", "medium"], photo,
             photo.jpeg),
            (small.pwg, "image/pwg-raster", [], [], small, None),
            (small.pwg, "image/pwg-raster", [("keyword", "k7730-color-match", "on")], ["--color-match"], small, None),
            (photo.jpeg, "image/jpeg", [("keyword", "k7730-color-match", "on"), ("keyword", "k7730-intent", "relative")],
             ["--color-match", "--intent", "relative"], photo, photo.jpeg),
        ]
        cls.expected = [page.expected(opts, source) for _, _, _, opts, page, source in cls.kinds]

    def test_forty_jobs_from_four_clients(self):
        time.sleep(1)
        idle = self.server.rss_kib()
        peak = [idle]
        done = threading.Event()

        def sample():
            while not done.is_set():
                peak[0] = max(peak[0], self.server.rss_kib())
                time.sleep(0.05)

        jobs, errors = [], []

        def client(c):
            try:
                for i in range(JOBS_PER_CLIENT):
                    k = (c + i) % len(self.kinds)
                    doc, fmt, attrs, _, _, _ = self.kinds[k]
                    name = "load-%d-%d" % (c, i)
                    job, _ = self.server.print_job_when_free(self.printer, doc, fmt, attrs, name=name)
                    jobs.append((job, name, k))
            except Exception as e:  # reported below, with the others
                errors.append(e)

        sampler = threading.Thread(target=sample)
        sampler.start()
        threads = [threading.Thread(target=client, args=(c,)) for c in range(CLIENTS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        try:
            self.assertEqual(errors, [], str(errors)[-1500:])
            self.assertEqual(len(jobs), CLIENTS * JOBS_PER_CLIENT)
            for job, name, k in jobs:
                status = self.server.wait_job(self.printer, job, timeout=600)
                self.assertEqual(status["job-state"], "completed", (name, status))
        finally:
            done.set()
            sampler.join()
        for job, name, k in jobs:
            page = self.kinds[k][4]
            width, height, pixels = self.output_of(name)
            self.assertEqual((width, height), page.device_size)
            self.assertTrue(pixels == self.expected[k], "job %s: pixels differ from k7730-print's" % name)
        time.sleep(2)
        settled = self.server.rss_kib()
        print("\nresident memory: idle %d MiB, peak %d MiB, after the jobs %d MiB"
              % (idle // 1024, peak[0] // 1024, settled // 1024))
        self.assertLess(peak[0] - idle, PEAK_OVER_IDLE_MIB * 1024)
        self.assertLess(settled - idle, SETTLED_OVER_IDLE_MIB * 1024)


if __name__ == "__main__":
    unittest.main()
