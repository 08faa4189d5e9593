#!/usr/bin/env python3
"""Soak of the printer application: 1,000 jobs over three printers in
JPEG, PNG, PWG raster and Apple raster, from four clients at once, with
the server's resident memory sampled all the while (idle, peak, after the
jobs); then throughput with one printer busy against two printers busy at
once. The server (the build's own, optimised) runs on a free loopback port
with a state folder of its own and is stopped by its process id.

  bench/printer_app_soak.py [BUILD_DIR] [--jobs N]

Every job must complete; the corrected pages are counted as they reach the
device folders and removed, so the disk use stays small."""

import argparse
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import zlib

# The tests' PWG and Apple raster writer.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "host", "printer_app"))
import pwg  # noqa: E402

PRINTERS = 3
CLIENTS = 4


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def photo(width, height):
    rows = []
    for y in range(height):
        rows.append(bytes(v for x in range(width)
                          for v in (x * 255 // width, y * 255 // height, (x * y) % 251)))
    return b"".join(rows)


def png(width, height, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + pixels[y * width * 3:(y + 1) * width * 3] for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


class Soak:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.app = os.path.join(build, "k7730-printer-app")
        self.port = free_port()
        self.done = 0
        self.lock = threading.Lock()
        self.outs = []
        self.proc = None

    def start(self):
        backends = os.path.join(self.work, "backends")
        os.mkdir(backends, 0o755)
        args = [self.app, "server", "-o", "server-port=%d" % self.port, "-o",
                "state-directory=" + os.path.join(self.work, "state"), "-o", "server-socket=none",
                "-o", "log-level=error", "-o", "log-file=" + os.path.join(self.work, "server.log"),
                "-o", "backend-directories=" + backends]
        self.proc = subprocess.Popen(args, stderr=open(os.path.join(self.work, "server.err"), "w"))
        for _ in range(300):
            try:
                urllib.request.urlopen("http://localhost:%d/" % self.port, timeout=2).read()
                return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("the server did not start")

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        status = self.proc.wait(timeout=60)
        if status != 0:
            raise RuntimeError("the server ended with status %d" % status)

    def rss_mib(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            return int(re.search(r"^VmRSS:\s+(\d+)", f.read(), re.M).group(1)) / 1024

    def ipptool(self, uri, test, files=None, variables=()):
        args = ["ipptool", "-T", "60"]
        for k, v in variables:
            args += ["-d", "%s=%s" % (k, v)]
        if files:
            args += ["-f", files]
        return subprocess.run(args + [uri, test], capture_output=True, text=True, timeout=120)

    def add_printers(self):
        test = os.path.join(self.work, "create.test")
        with open(test, "w") as f:
            f.write('{ OPERATION Create-Printer GROUP operation-attributes-tag ATTR charset attributes-charset '
                    'utf-8 ATTR naturalLanguage attributes-natural-language en ATTR uri system-uri $uri '
                    'ATTR keyword printer-service-type print ATTR keyword smi55357-driver k7730 '
                    'ATTR uri smi55357-device-uri $device GROUP printer-attributes-tag '
                    'ATTR name printer-name $printer STATUS successful-ok }\n')
        for i in range(PRINTERS):
            out = os.path.join(self.work, "out%d" % i)
            os.mkdir(out)
            self.outs.append(out)
            run = self.ipptool("ipp://localhost:%d/ipp/system" % self.port, test,
                               variables=[("printer", "p%d" % i), ("device", "file://" + out)])
            if run.returncode != 0:
                raise RuntimeError(run.stdout + run.stderr)

    def submit(self, printer, document, fmt):
        """Print-Job; a raster stream sent while the printer is busy is sent again."""
        uri = "ipp://localhost:%d/ipp/print/p%d" % (self.port, printer)
        for _ in range(3000):
            run = self.ipptool(uri, "print-job.test", files=document, variables=[("filetype", fmt)])
            if run.returncode == 0:
                return
            if "busy" not in run.stdout + run.stderr and "printing another job" not in run.stdout + run.stderr:
                raise RuntimeError(run.stdout + run.stderr)
            time.sleep(0.05)
        raise RuntimeError("the printer stayed busy")

    def collect(self, stop):
        """Counts and removes the pages that reached the device folders."""
        while not stop.is_set():
            for out in self.outs:
                for name in os.listdir(out):
                    if name.endswith(".pwg"):
                        os.unlink(os.path.join(out, name))
                        with self.lock:
                            self.done += 1
            time.sleep(0.05)

    def pending_jobs(self):
        test = os.path.join(self.work, "pending.test")
        with open(test, "w") as f:
            f.write('{ OPERATION Get-Jobs GROUP operation-attributes-tag ATTR charset attributes-charset utf-8 '
                    'ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri '
                    'ATTR keyword which-jobs not-completed ATTR keyword requested-attributes job-id '
                    'STATUS successful-ok }\n')
        count = 0
        for i in range(PRINTERS):
            run = subprocess.run(["ipptool", "-tv", "ipp://localhost:%d/ipp/print/p%d" % (self.port, i), test],
                                 capture_output=True, text=True, timeout=60)
            count += run.stdout.count("job-id (integer)")
        return count

    def wait_for(self, count, timeout=3600):
        """Until every job has ended; all of them must have printed."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            time.sleep(0.5)
            if self.pending_jobs() == 0:
                time.sleep(0.5)
                with self.lock:
                    if self.done >= count:
                        return
                    raise RuntimeError("%d of %d jobs did not print" % (count - self.done, count))
        raise RuntimeError("jobs still pending after %d s" % timeout)


def make_documents(build, work):
    pixels = photo(600, 900)
    ppm = os.path.join(work, "photo.ppm")
    with open(ppm, "wb") as f:
        f.write(b"P6\n600 900\n255\n" + pixels)
    docs = []
    jpeg = os.path.join(work, "photo.jpg")
    subprocess.run([os.path.join(build, "k7730-print"), "-q", "--no-mtf", ppm, jpeg], check=True)
    docs.append((jpeg, "image/jpeg"))
    with open(os.path.join(work, "photo.png"), "wb") as f:
        f.write(png(600, 900, pixels))
    docs.append((os.path.join(work, "photo.png"), "image/png"))
    for fmt, ext, data in (("image/pwg-raster", "pwg", pwg.write_stream([pwg.encode_page(600, 900, pixels)])),
                           ("image/urf", "urf", pwg.urf_stream(600, 900, pixels))):
        path = os.path.join(work, "photo." + ext)
        with open(path, "wb") as f:
            f.write(data)
        docs.append((path, fmt))
    return docs


def soak(s, docs, jobs):
    stop, peak = threading.Event(), [s.rss_mib()]

    def sample():
        while not stop.is_set():
            peak[0] = max(peak[0], s.rss_mib())
            time.sleep(0.1)

    def client(c):
        for i in range(c, jobs, CLIENTS):
            document, fmt = docs[i % len(docs)]
            s.submit(i % PRINTERS, document, fmt)

    threads = [threading.Thread(target=sample)] + [threading.Thread(target=client, args=(c,)) for c in range(CLIENTS)]
    start = time.time()
    for t in threads:
        t.start()
    for t in threads[1:]:
        t.join()
    s.wait_for(jobs)
    stop.set()
    threads[0].join()
    return time.time() - start, peak[0]


def throughput(s, jpeg, printers, per_printer=12):
    """Jobs per second while `printers` printers each print `per_printer` JPEGs."""
    with s.lock:
        start_count = s.done
    start = time.time()
    threads = [threading.Thread(target=lambda p=p: [s.submit(p, jpeg, "image/jpeg") for _ in range(per_printer)])
               for p in range(printers)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    s.wait_for(start_count + printers * per_printer)
    return printers * per_printer / (time.time() - start)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build/release")
    parser.add_argument("--jobs", type=int, default=1000)
    a = parser.parse_args()
    work = tempfile.mkdtemp(prefix="k7730-soak-")
    s = Soak(os.path.abspath(a.build), work)
    try:
        docs = make_documents(os.path.abspath(a.build), work)
        s.start()
        s.add_printers()
        stop = threading.Event()
        collector = threading.Thread(target=s.collect, args=(stop,))
        collector.start()
        s.submit(0, *docs[0])
        s.wait_for(1)
        time.sleep(2)
        idle = s.rss_mib()
        seconds, peak = soak(s, docs, a.jobs)
        time.sleep(3)
        after = s.rss_mib()
        one = throughput(s, docs[0][0], 1)
        two = throughput(s, docs[0][0], 2)
        # PAPPL keeps finished jobs for a minute (100 a printer after that)
        # and cleans them a minute after a job ends: one job more, then
        # the memory once the history is down to what it keeps for good.
        time.sleep(65)
        s.submit(0, *docs[0])
        time.sleep(65)
        settled = s.rss_mib()
        stop.set()
        collector.join()
        s.stop()
        print("soak: %d jobs (JPEG, PNG, PWG and Apple raster 600 x 900) over %d printers from %d clients in %.0f s"
              % (a.jobs, PRINTERS, CLIENTS, seconds))
        print("resident memory: idle %.1f MiB, peak %.1f MiB, after the jobs %.1f MiB (%+.1f MiB)"
              % (idle, peak, after, after - idle))
        print("once PAPPL has cleaned its job history (100 jobs a printer): %.1f MiB (%+.1f MiB over idle)"
              % (settled, settled - idle))
        print("throughput (JPEG jobs): one printer busy %.2f jobs/s, two printers busy %.2f jobs/s (x%.2f) on %d cores"
              % (one, two, two / one, os.cpu_count()))
    finally:
        if s.proc and s.proc.poll() is None:
            s.proc.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
