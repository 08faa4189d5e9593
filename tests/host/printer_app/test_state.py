"""The server's state over a stop and a start: settings, printers and the
job history a client left are there after a restart even when the server
was stopped at once; text values come back as they were sent, each on its
own line of the state file; under refused raster streams and changing
defaults the server keeps answering, every job ends and a stop ends every
process of the server; printers deleted while the state is saved leave no
fault behind."""

import os
import re
import signal
import struct
import threading
import time
import unittest
import urllib.request

import base
import fixtures
import server

PWG = "image/pwg-raster"
STATE_FILE = "k7730-printer-app.state"

CREATE_JOB = """{
  NAME "Create-Job"
  OPERATION Create-Job
  GROUP operation-attributes-tag
""" + server.HEAD + """  ATTR uri printer-uri $uri
  ATTR name requesting-user-name tester
  ATTR name job-name never-sent
  STATUS successful-ok
}
{
  NAME "Cancel-Job"
  OPERATION Cancel-Job
  GROUP operation-attributes-tag
""" + server.HEAD + """  ATTR uri printer-uri $uri
  ATTR integer job-id $job-id
  ATTR name requesting-user-name tester
  STATUS successful-ok
}
"""

GET_JOBS = """{
  NAME "Get-Jobs"
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
""" + server.HEAD + """  ATTR uri printer-uri $uri
  ATTR keyword which-jobs %s
  ATTR keyword requested-attributes job-id,job-state,job-name
  STATUS successful-ok
}
"""



def stop(srv):
    """SIGTERM, as the service manager stops the server; returns the exit status."""
    os.kill(srv.proc.pid, signal.SIGTERM)
    try:
        code = srv.proc.wait(timeout=90)
    except Exception:
        srv.proc.kill()
        srv.proc.wait()
        raise
    finally:
        srv.proc = None
        srv.out.close()
    return code


def processes_of(srv):
    """Processes started from the server's program for this server's state
    folder: the server and anything it forked."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        if ("state-directory=" + srv.state).encode() in args:
            found.append(int(pid))
    return found


def state_lines(srv):
    with open(os.path.join(srv.state, STATE_FILE)) as f:
        return f.read().split("\n")


def ipp_attr(tag, name, value):
    value = value.encode() if isinstance(value, str) else value
    return struct.pack(">bH", tag, len(name)) + name.encode() + struct.pack(">H", len(value)) + value


def ipp_send(srv, path, operation, attrs, group=None, data=b""):
    """One IPP request built by hand, so that values can hold what ipptool's
    files cannot (line breaks); `group` is (tag, attributes). Returns the
    status code."""
    body = struct.pack(">bbHI", 2, 0, operation, 1) + b"\x01"
    body += ipp_attr(0x47, "attributes-charset", "utf-8") + ipp_attr(0x48, "attributes-natural-language", "en")
    target = "system-uri" if path == "/ipp/system" else "printer-uri"
    body += ipp_attr(0x45, target, "ipp://localhost:%d%s" % (srv.port, path))
    body += b"".join(ipp_attr(*a) for a in attrs)
    if group:
        body += bytes([group[0]]) + b"".join(ipp_attr(*a) for a in group[1])
    body += b"\x03" + data
    request = urllib.request.Request("http://localhost:%d%s" % (srv.port, path), data=body,
                                     headers={"Content-Type": "application/ipp"})
    with urllib.request.urlopen(request, timeout=60) as reply:
        return struct.unpack(">H", reply.read()[2:4])[0]


class SavedStateTest(base.ServerTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "page", 64, 80, seed=3)

    def restart(self):
        self.assertEqual(stop(self.server), 0)
        self.assertEqual(processes_of(self.server), [])
        self.server.start()

    def jobs(self, which):
        _, out = self.server.ipptool(self.server.printer_uri(self.printer), GET_JOBS % which)
        ids = [int(v) for v in re.findall(r"job-id \(integer\) = (\d+)", out)]
        states = re.findall(r"job-state \(enum\) = (\S+)", out)
        return dict(zip(ids, states))

    def test_settings_and_a_new_printer_survive_an_immediate_stop(self):
        second_out = os.path.join(self.work, "second")
        os.makedirs(second_out, exist_ok=True)
        self.server.set_printer(self.printer, [("keyword", "k7730-intent-default", "relative"),
                                               ("enum", "print-quality-default", "3"),
                                               ("keyword", "media-default", "na_5x7_5x7in"),
                                               ("keyword", "media-ready", "na_5x7_5x7in")])
        self.server.add_printer("second", "file://" + second_out)
        self.server.set_printer("second", [("keyword", "k7730-sharpen-default", "strong")])
        self.restart()
        attr = self.server.printer_attribute
        self.assertEqual(attr(self.printer, "k7730-intent-default"), "relative")
        self.assertEqual(attr(self.printer, "print-quality-default"), "draft")
        self.assertEqual(attr(self.printer, "media-default"), "na_5x7_5x7in")
        self.assertEqual(attr(self.printer, "media-ready"), "na_5x7_5x7in")
        self.assertEqual(attr("second", "k7730-sharpen-default"), "strong")
        self.assertEqual(attr("second", "k7730-intent-default"), "settings")
        # Its device is where it was.
        job = self.server.print_job("second", self.page.pwg, PWG, name="to-second")[0]
        self.assertEqual(self.server.wait_job("second", job)["job-state"], "completed")
        self.assertEqual(len(fixtures.read_output(os.path.join(second_out, "to-second.pwg"))), 1)
        # The printer ids go on where they were: a third printer gets a new one.
        ids = {attr(p, "printer-id") for p in (self.printer, "second")}
        self.server.add_printer("third", "file://" + second_out)
        self.assertNotIn(attr("third", "printer-id"), ids)

    def test_job_history_survives_a_restart(self):
        # A job created and canceled before any document came has no format;
        # it and the jobs after it stay in the history.
        _, out = self.server.ipptool(self.server.printer_uri(self.printer), CREATE_JOB)
        never_sent = int(server.ipp_value(out, "job-id"))
        printed = self.server.print_job(self.printer, self.page.pwg, PWG, name="printed")[0]
        self.server.wait_job(self.printer, printed)
        self.restart()
        history = self.jobs("completed")
        self.assertEqual(history.get(never_sent), "canceled", history)
        self.assertEqual(history.get(printed), "completed", history)
        self.assertEqual(self.jobs("not-completed"), {})
        # Job ids go on after the restored ones.
        self.assertGreater(self.server.print_job(self.printer, self.page.pwg, PWG, name="next")[0], printed)

    def test_text_values_come_back_on_one_line_each(self):
        # A line break in a value would start a line of the sender's choosing
        # (here the administrator's password); a value over the loader's
        # line length would leave its tail as a line of its own.
        injected = '\n</Printer>\nPassword $5$x\n<Printer id="9" name="evil" did="" uri="file:///" driver="k7730">\n'
        location = 'Room #5, "top" shelf \\ left' + injected
        status = ipp_send(self.server, "/ipp/system", 0x0062, [], (0x0A, [(0x41, "system-location", location),
                                                                          (0x41, "system-organization", "O" * 3000)]))
        self.assertEqual(status, 0)
        with open(self.page.pwg, "rb") as f:
            document = f.read()
        status = ipp_send(self.server, "/ipp/print/" + self.printer, 0x0002,
                          [(0x42, "requesting-user-name", "tester"), (0x42, "job-name", "job" + injected),
                           (0x49, "document-format", PWG)], data=document)
        self.assertEqual(status, 0)
        self.server.set_printer(self.printer, [("keyword", "k7730-color-match-default", "on")])
        self.restart()
        lines = state_lines(self.server)
        self.assertEqual([l for l in lines if l.startswith("Password")], [])
        self.assertEqual(len([l for l in lines if l.startswith("<Printer")]), len(self.printers()))
        self.assertTrue(all(len(l) < 2048 for l in lines))
        self.assertEqual(self.system_attribute("system-location"), location.replace("\n", " ").strip())
        self.assertEqual(self.system_attribute("system-organization"), "O" * 1023)
        self.assertEqual(self.server.printer_attribute(self.printer, "k7730-color-match-default"), "on")
        self.server.set_printer(self.printer, [("keyword", "k7730-color-match-default", "settings")])

    def system_attribute(self, name):
        _, out = self.server.ipptool(self.server.system_uri, server.HEAD.join([
            '{\n  OPERATION Get-System-Attributes\n  GROUP operation-attributes-tag\n', '  ATTR uri system-uri $uri\n'
            '  ATTR keyword requested-attributes %s\n  STATUS successful-ok\n}\n' % name]))
        # ipptool shows quotes and backslashes escaped.
        return re.sub(r"\\(.)", r"\1", server.ipp_value(out, name))

    def printers(self):
        _, out = self.server.ipptool(self.server.system_uri, server.HEAD.join([
            '{\n  OPERATION Get-Printers\n  GROUP operation-attributes-tag\n', '  ATTR uri system-uri $uri\n'
            '  ATTR keyword requested-attributes printer-name\n  STATUS successful-ok\n}\n']))
        return re.findall(r"printer-name \(nameWithoutLanguage\) = (\S+)", out)


def run_clients(clients, seconds):
    """Runs each client(deadline) on a thread of its own; returns the errors."""
    deadline = time.time() + seconds
    errors = []

    def run(client):
        try:
            client(deadline)
        except Exception as e:  # reported with the others
            errors.append(e)

    threads = [threading.Thread(target=run, args=(c,)) for c in clients]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return errors


class StateUnderLoadTest(base.ServerTest):
    """Raster streams sent to a busy printer are refused (PAPPL aborts them
    holding the printer's lock while it takes the system's) while other
    clients change defaults, so that the state is saved all the time."""

    SECONDS = 30
    SENDERS = 4
    INTENTS = ("perceptual", "relative", "saturation", "settings")
    QUALITIES = ("3", "4", "5")

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.page = fixtures.Page(cls.work, "busy", 500, 700, seed=4)

    def test_refused_streams_and_changing_defaults(self):
        jobs, refused, last, changes = [], [], {}, []

        def sender(deadline):
            while time.time() < deadline:
                job, out = self.server.print_job(self.printer, self.page.pwg, PWG, name="load", check=False)
                if "status-code = server-error-busy" in out:
                    refused.append(job)
                elif "status-code = successful-ok" not in out:
                    raise AssertionError("Print-Job failed:\n" + out)
                jobs.append(job)

        def setter(name, values):
            def run(deadline):
                i = 0
                while time.time() < deadline:
                    last[name] = values[i % len(values)]
                    self.server.set_printer(self.printer, [("enum" if name.startswith("print-") else "keyword",
                                                            name, last[name])])
                    changes.append(name)
                    i += 1
            return run

        errors = run_clients([sender] * self.SENDERS + [setter("k7730-intent-default", self.INTENTS),
                                                        setter("print-quality-default", self.QUALITIES)],
                             self.SECONDS)
        self.assertEqual(errors, [], str(errors)[-2000:])
        print("\n%d streams printed, %d refused while the printer was busy, %d defaults changed"
              % (len(jobs) - len(refused), len(refused), len(changes)))
        self.assertTrue(refused, "no stream was refused: the printer was never busy")
        for job in jobs:
            self.assertIn(self.server.wait_job(self.printer, job, timeout=120)["job-state"], ("completed", "aborted"))
        # The values the server holds, which the restarted server must hold
        # too. They need not be the last ones sent: PAPPL 1.3.1 applies a
        # Set-Printer-Attributes request to a copy of the printer's defaults
        # taken before the printer is locked, so that two requests at once
        # can undo each other's change of print-quality-default (not fixed
        # upstream as of 1.3.1).
        names = ("print-quality-default", "k7730-intent-default")
        held = [self.server.printer_attribute(self.printer, name) for name in names]
        self.assertEqual(held[1], last["k7730-intent-default"])
        self.assertEqual(stop(self.server), 0)
        self.assertEqual(processes_of(self.server), [])
        self.server.start()
        self.assertEqual([self.server.printer_attribute(self.printer, name) for name in names], held)


class DeletedWhileSavingTest(base.ServerTest):
    """Printers created and deleted while each change has the state saved:
    the saving never reads a printer PAPPL has freed (the sanitizer build
    stops the server if it does), and only the printers left are saved."""

    SECONDS = 15

    def test_printers_deleted_while_the_state_is_saved(self):
        created = []

        def creator(deadline):
            while time.time() < deadline:
                name = "passing-%d-%d" % (threading.get_ident(), len(created))
                created.append(name)
                self.server.add_printer(name, "file://" + self.out)
                self.server.delete_printer(name)

        def setter(deadline):
            while time.time() < deadline:
                for value in ("on", "off"):
                    self.server.set_printer(self.printer, [("keyword", "k7730-color-match-default", value)])

        errors = run_clients([creator, creator, setter], self.SECONDS)
        self.assertEqual(errors, [], str(errors)[-2000:])
        self.assertGreater(len(created), 20)
        self.assertEqual(stop(self.server), 0)
        with open(os.path.join(self.work, "server.out"), errors="replace") as f:
            self.assertNotIn("AddressSanitizer", f.read())
        printers = [l for l in state_lines(self.server) if l.startswith("<Printer")]
        self.assertEqual(len(printers), 1, printers)
        self.assertIn('name="%s"' % self.printer, printers[0])
        self.server.start()


if __name__ == "__main__":
    unittest.main()
