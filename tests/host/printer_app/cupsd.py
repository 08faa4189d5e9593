"""A cupsd of one test's own: a free loopback port, its own configuration,
spool, cache and logs in the test's folder (never the system's), stopped
by its process id. Its clients reach it through CUPS_SERVER."""

import os
import signal
import subprocess
import time

import server

CONF = """Listen 127.0.0.1:%(port)d
LogLevel debug
Browsing No
WebInterface No
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

FILES = """ServerRoot %(work)s/etc
RequestRoot %(work)s/spool
TempDir %(work)s/spool/tmp
CacheDir %(work)s/cache
StateDir %(work)s/state
AccessLog %(work)s/log/access_log
ErrorLog %(work)s/log/error_log
PageLog %(work)s/log/page_log
"""


class Cupsd:
    def __init__(self, work):
        self.work = work
        self.port = server.free_port()
        self.proc = None
        self.env = dict(server.ENV, CUPS_SERVER="127.0.0.1:%d" % self.port)
        self.error_log = os.path.join(work, "log", "error_log")

    def start(self):
        """Starts cupsd; raises (the test fails) when it does not answer."""
        for sub in ("etc", "spool/tmp", "cache", "state", "log"):
            os.makedirs(os.path.join(self.work, sub), exist_ok=True)
        # The filters and back ends run as CUPS's user, which must reach
        # the spool through the test's folders.
        folder = self.work
        while folder != os.path.dirname(folder):
            if os.stat(folder).st_mode & 0o005 != 0o005:
                os.chmod(folder, os.stat(folder).st_mode | 0o055)
            folder = os.path.dirname(folder)
        conf, files = os.path.join(self.work, "cupsd.conf"), os.path.join(self.work, "cups-files.conf")
        with open(conf, "w") as f:
            f.write(CONF % {"port": self.port})
        with open(files, "w") as f:
            f.write(FILES % {"work": self.work})
        with open(os.path.join(self.work, "cupsd.out"), "wb") as out:
            self.proc = subprocess.Popen(["cupsd", "-f", "-c", conf, "-s", files], stdout=subprocess.DEVNULL,
                                         stderr=out)
        for _ in range(100):
            if self.proc.poll() is not None:
                raise RuntimeError("cupsd stopped at once (%d); see %s" % (self.proc.returncode, self.work))
            # lpstat -r exits 0 either way; only its words tell.
            if self.run("lpstat", "-r", check=False).stdout.strip() == "scheduler is running":
                return
            time.sleep(0.2)
        self.stop()
        raise RuntimeError("cupsd did not answer on port %d" % self.port)

    def stop(self):
        if self.proc is None:
            return
        os.kill(self.proc.pid, signal.SIGTERM)
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            os.kill(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.proc = None

    def run(self, *args, check=True):
        run = subprocess.run(list(args), capture_output=True, text=True, env=self.env, timeout=120)
        if check and run.returncode != 0:
            raise AssertionError("%s failed: %s%s" % (" ".join(args), run.stdout, run.stderr))
        return run

    def job_log(self, job):
        with open(self.error_log, errors="replace") as f:
            return [line for line in f if "[Job %d]" % job in line]

    def wait_job(self, job, timeout=120):
        """Waits until cupsd has finished job `job`; fails unless completed."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            text = "".join(self.job_log(job))
            if "Job completed." in text:
                return
            if any(word in text for word in ("Job stopped", "Job aborted", "Job canceled")):
                break
            time.sleep(0.2)
        tail = [line for line in self.job_log(job) if not line.startswith("d ")]
        raise AssertionError("job %d did not complete:\n%s" % (job, "".join(tail[-25:])))
