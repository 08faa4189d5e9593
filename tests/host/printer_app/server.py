"""A k7730-printer-app server of its own for each test class: started on a
free loopback port with its own state folder, driven with ipptool, stopped
by its process id."""

import os
import re
import signal
import socket
import subprocess
import tempfile
import time
import urllib.request

BUILD = os.environ["K7730_BUILD_DIR"]
APP = os.path.join(BUILD, "k7730-printer-app")
PRINT = os.path.join(BUILD, "k7730-print")
HERE = os.path.dirname(os.path.abspath(__file__))
# The sub-commands and k7730-print are PAPPL's and libcups' clients, run
# once each: their leaks at exit are not the server's.
ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=0")
# The server is checked for leaks when it stops: every job and every
# refused job must give back what it took. The full unwinder sees through
# PAPPL's and libcups' frames, so that the few allocations PAPPL itself
# never frees (lsan.supp) are told apart from ours.
SERVER_ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:fast_unwind_on_malloc=0",
                  LSAN_OPTIONS="suppressions=%s:print_suppressions=0" % os.path.join(HERE, "lsan.supp"))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def ipp_value(text, name):
    """The value ipptool -v shows for `name`, or None."""
    m = re.search(r"^\s*%s \([^)]*\) = (.*)$" % re.escape(name), text, re.M)
    return m.group(1).strip() if m else None


class Server:
    def __init__(self, workdir):
        self.workdir = workdir
        self.state = os.path.join(workdir, "state")
        self.port = free_port()
        self.proc = None
        self.log = os.path.join(workdir, "server.log")
        self.jobs = {}
        # The one folder this server runs device programs from: root's,
        # writable by root alone, as an administrator would set it up.
        self.backends = os.path.join(workdir, "backends")
        os.makedirs(self.backends, mode=0o755, exist_ok=True)
        os.chmod(self.backends, 0o755)
        self.env = SERVER_ENV
        self.client = {}   # subprocess options of the clients (user=...)

    @property
    def system_uri(self):
        return "ipp://localhost:%d/ipp/system" % self.port

    def printer_uri(self, name):
        return "ipp://localhost:%d/ipp/print/%s" % (self.port, name)

    def start(self):
        args = [APP, "server", "-o", "server-port=%d" % self.port, "-o", "state-directory=" + self.state,
                "-o", "server-socket=none", "-o", "log-file=" + self.log, "-o", "log-level=debug",
                "-o", "backend-directories=" + self.backends] + self.extra_options()
        self.out_path = os.path.join(self.workdir, "server.out")
        self.out = open(self.out_path, "ab")
        self.proc = subprocess.Popen(args, env=self.env, stdout=self.out, stderr=subprocess.STDOUT,
                                     **self.popen_options())
        deadline = time.time() + 60
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("k7730-printer-app server exited with %d; see %s" % (self.proc.returncode, self.log))
            try:
                urllib.request.urlopen("http://localhost:%d/" % self.port, timeout=2).read()
                return
            except OSError:
                time.sleep(0.2)
        self.stop()
        raise RuntimeError("k7730-printer-app server did not answer on port %d" % self.port)

    def extra_options(self):
        return []

    def popen_options(self):
        return {}

    def stop(self):
        """SIGTERM, as systemd stops the service: the server must end by
        itself with status 0 and no leak report."""
        if self.proc is None:
            return
        os.kill(self.proc.pid, signal.SIGTERM)
        try:
            status = self.proc.wait(timeout=60)
        except subprocess.TimeoutExpired:
            os.kill(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
            status = "killed after 60 s"
        self.proc = None
        self.out.close()
        with open(self.out_path, errors="replace") as f:
            text = f.read()
        if status != 0 or "LeakSanitizer" in text:
            raise AssertionError("the server ended with %s:\n%s" % (status, text[-6000:]))

    def add_backend(self, name, script, mode=0o755):
        """A device program in this server's back-end folder."""
        path = os.path.join(self.backends, name)
        with open(path, "w") as f:
            f.write(script)
        os.chmod(path, mode)
        return path

    def rss_kib(self):
        with open("/proc/%d/status" % self.proc.pid) as f:
            return int(re.search(r"^VmRSS:\s+(\d+)", f.read(), re.M).group(1))

    # ipptool -----------------------------------------------------------

    def ipptool(self, uri, test_text, files=None, variables=None, check=True, timeout=30):
        """Runs one generated .test file; returns (passed, verbose output)."""
        fd, path = tempfile.mkstemp(suffix=".test", dir=self.workdir)
        with os.fdopen(fd, "w") as f:
            f.write(test_text)
        os.chmod(path, 0o644)
        args = ["ipptool", "-tv", "-T", str(timeout)]
        for k, v in (variables or {}).items():
            args += ["-d", "%s=%s" % (k, v)]
        if files:
            args += ["-f", files]
        args += [uri, path]
        run = subprocess.run(args, capture_output=True, text=True, timeout=120, **self.client)
        if check and run.returncode != 0:
            raise AssertionError("ipptool failed:\n" + run.stdout + run.stderr)
        return run.returncode == 0, run.stdout + run.stderr

    def add_printer(self, name, device_uri, expect="successful-ok"):
        text = CREATE_PRINTER % {"status": expect}
        return self.ipptool(self.system_uri, text, variables={"printer": name, "device": device_uri})

    def next_job_id(self, printer):
        """Jobs are numbered from 1 on each printer of a new server."""
        return self.jobs.get(printer, 0) + 1

    def print_job(self, printer, path, fmt, attrs=(), name="job", operation="Print-Job", expect="successful-ok",
                  check=True, timeout=None):
        """Sends a document; returns the job id (0 for Validate-Job) and the output."""
        lines = ["  ATTR %s %s %s" % a for a in attrs]
        text = PRINT_JOB % {"operation": operation, "attrs": "\n".join(lines), "status": expect}
        if operation == "Print-Job":
            self.jobs[printer] = self.next_job_id(printer)
        ok, out = self.ipptool(self.printer_uri(printer), text, files=path,
                               variables={"format": fmt, "jobname": name}, check=False, timeout=timeout or 30)
        if check and not ok:
            raise AssertionError("ipptool failed:\n" + out)
        job = ipp_value(out, "job-id")
        return int(job) if job else 0, out

    def print_job_when_free(self, printer, path, fmt, attrs=(), name="job", tries=600):
        """Print-Job as IPP clients send it: PAPPL takes a raster stream only
        while the printer is free and answers server-error-busy otherwise,
        which tells the client to send it again."""
        for _ in range(tries):
            job, out = self.print_job(printer, path, fmt, attrs, name=name, check=False)
            if "status-code = server-error-busy" not in out:
                if "status-code = successful-ok" not in out:
                    raise AssertionError("ipptool failed:\n" + out)
                return job, out
            time.sleep(0.2)
        raise AssertionError("the printer stayed busy")

    def job_status(self, printer, job_id):
        _, out = self.ipptool(self.printer_uri(printer), GET_JOB, variables={"job": job_id})
        return {k: ipp_value(out, k) for k in ("job-state", "job-state-reasons", "job-state-message")}

    def wait_job(self, printer, job_id, timeout=120):
        deadline = time.time() + timeout
        while time.time() < deadline:
            status = self.job_status(printer, job_id)
            if status["job-state"] in ("completed", "aborted", "canceled"):
                return status
            time.sleep(0.2)
        raise AssertionError("job %d did not finish: %s" % (job_id, status))

    def set_printer(self, printer, attrs):
        lines = ["  ATTR %s %s %s" % a for a in attrs]
        return self.ipptool(self.printer_uri(printer), SET_PRINTER % {"attrs": "\n".join(lines)})

    def printer_id(self, name):
        """The id the system lists the printer under: PAPPL 1.3.1 gives a
        new printer's own printer-id as 0 until a restart."""
        _, out = self.ipptool(self.system_uri, GET_CONFIGURED)
        m = re.search(r"printer-id=(\d+) [^{]*printer-name=%s " % re.escape(name), out)
        if m is None:
            raise AssertionError("the server lists no printer %s" % name)
        return int(m.group(1))

    def delete_printer(self, name):
        """Delete-Printer, as an IPP client sends it to the system."""
        self.ipptool(self.system_uri, DELETE_PRINTER, variables={"id": self.printer_id(name)})

    def printer_attribute(self, printer, name):
        _, out = self.ipptool(self.printer_uri(printer), GET_PRINTER % {"name": name})
        return ipp_value(out, name)


HEAD = """  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
"""

CREATE_PRINTER = """{
  NAME "Create-Printer"
  OPERATION Create-Printer
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri system-uri $uri
  ATTR keyword printer-service-type print
  ATTR keyword smi55357-driver k7730
  ATTR uri smi55357-device-uri $device
  GROUP printer-attributes-tag
  ATTR name printer-name $printer
  STATUS %(status)s
}
"""

PRINT_JOB = """{
  NAME "%(operation)s"
  OPERATION %(operation)s
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri printer-uri $uri
  ATTR name requesting-user-name tester
  ATTR mimeMediaType document-format $format
  ATTR name job-name $jobname
  GROUP job-attributes-tag
%(attrs)s
  FILE $filename
  STATUS %(status)s
}
"""

GET_JOB = """{
  NAME "Get-Job-Attributes"
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR keyword requested-attributes job-state,job-state-reasons,job-state-message
  STATUS successful-ok
}
"""

SET_PRINTER = """{
  NAME "Set-Printer-Attributes"
  OPERATION Set-Printer-Attributes
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri printer-uri $uri
  GROUP printer-attributes-tag
%(attrs)s
  STATUS successful-ok
}
"""

DELETE_PRINTER = """{
  NAME "Delete-Printer"
  OPERATION Delete-Printer
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri system-uri $uri
  ATTR integer printer-id $id
  STATUS successful-ok
}
"""

GET_CONFIGURED = """{
  NAME "Get-System-Attributes"
  OPERATION Get-System-Attributes
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri system-uri $uri
  ATTR keyword requested-attributes system-configured-printers
  STATUS successful-ok
}
"""

GET_PRINTER = """{
  NAME "Get-Printer-Attributes"
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
""" + HEAD + """  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes %(name)s
  STATUS successful-ok
}
"""


# A printer without a stored record starts from the record the package's
# CUPS queue is installed with.
PRINTER_DEFAULTS = ["--sharpen", "mild", "--color-match"]


def printer_defaults_record(workdir):
    """The record `k7730-print settings save` writes with PRINTER_DEFAULTS."""
    path = os.path.join(workdir, "printer-defaults.k77")
    if not os.path.exists(path):
        subprocess.run([PRINT, "-q", "settings", "save", path] + PRINTER_DEFAULTS, check=True, env=ENV, timeout=60)
    return path


def expected_print(workdir, source, options, name):
    """What k7730-print writes for `source` with `options`, as raw pixels:
    over the printer's defaults, as a job's options apply, unless the
    options name a record of their own."""
    options = list(options)
    if "--settings" not in options:
        options = ["--settings", printer_defaults_record(workdir)] + options
    out = os.path.join(workdir, name + ".ppm")
    subprocess.run([PRINT, "-q"] + options + [source, out], check=True, env=ENV, timeout=120)
    return read_ppm_pixels(out)


def read_ppm_pixels(path):
    from pwg import read_ppm
    return read_ppm(path)


class Web:
    """The server's web pages as a browser-less client sees them: cookies
    kept, forms posted with the page's session token."""

    def __init__(self, server):
        import http.cookiejar
        self.base = "http://localhost:%d" % server.port
        self.opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))

    def get(self, path):
        with self.opener.open(self.base + path, timeout=30) as r:
            return r.read()

    def post_form(self, path, fields, files=()):
        """Posts multipart/form-data with the token of the form on `path`."""
        page = self.get(path).decode()
        token = re.search(r'name="session" value="([^"]*)"', page)
        fields = dict(fields, session=token.group(1) if token else "")
        boundary = "----k7730test"
        body = b""
        for k, v in fields.items():
            body += ('--%s\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n' % (boundary, k, v)).encode()
        for k, filename, data in files:
            body += ('--%s\r\nContent-Disposition: form-data; name="%s"; filename="%s"\r\n'
                     'Content-Type: application/octet-stream\r\n\r\n' % (boundary, k, filename)).encode()
            body += data + b"\r\n"
        body += ("--%s--\r\n" % boundary).encode()
        req = urllib.request.Request(self.base + path, data=body, method="POST",
                                     headers={"Content-Type": "multipart/form-data; boundary=" + boundary})
        with self.opener.open(req, timeout=30) as r:
            return r.read().decode()


def settings_command(state, printer, *args):
    """k7730-printer-app settings; returns the finished process."""
    return subprocess.run([APP, "settings", "-d", printer, "-o", "state-directory=" + state] + list(args),
                          capture_output=True, text=True, env=ENV, timeout=60)
