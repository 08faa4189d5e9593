"""The server as a door into the machine. Its server runs as an ordinary
user, as the package's service does, and every client here is `nobody`: a
local user without any privilege, to whom PAPPL grants every operation
over loopback. Whatever device such a client names, the server runs no
program and writes no folder that an administrator has not allowed."""

import os
import pwd
import shutil
import subprocess
import tempfile
import time
import unittest

import base
import fixtures
import server

PWG = "image/pwg-raster"
REFUSED = "client-error-attributes-or-values-not-supported"
NOBODY = pwd.getpwnam("nobody")


def require_root():
    if os.geteuid() != 0:
        raise RuntimeError("these tests run as root: they start the server and its clients as 'nobody'")


class UnprivilegedServer(server.Server):
    """The server under the user `nobody`, its clients too."""

    def __init__(self, workdir):
        super().__init__(workdir)
        os.makedirs(self.state, exist_ok=True)
        open(self.log, "a").close()
        for path in (self.state, self.log):
            os.chown(path, NOBODY.pw_uid, NOBODY.pw_gid)
        self.client = {"user": "nobody", "group": "nogroup", "extra_groups": []}

    def popen_options(self):
        return {"user": "nobody", "group": "nogroup", "extra_groups": []}


class DeviceAccessTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        require_root()
        os.makedirs(base.WORK, exist_ok=True)
        cls.work = tempfile.mkdtemp(prefix="SecurityTest-", dir=base.WORK)
        os.chmod(cls.work, 0o755)
        cls.server = UnprivilegedServer(cls.work)
        cls.server.start()
        # What a local user without privilege can make: a program of their
        # own, which would record that it ran.
        own = os.path.join(cls.work, "nobody")
        os.mkdir(own)
        os.chown(own, NOBODY.pw_uid, NOBODY.pw_gid)
        cls.ran = os.path.join(own, "evil-ran")
        cls.evil = os.path.join(own, "evil.sh")
        with open(cls.evil, "w") as f:
            f.write("#!/bin/sh\ntouch %s\ncat > /dev/null\n" % cls.ran)
        os.chmod(cls.evil, 0o777)
        cls.page = fixtures.Page(cls.work, "page", 48, 64, seed=9)
        for path in (cls.page.pwg, cls.page.ppm):
            os.chmod(path, 0o644)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        if not os.environ.get("K7730_KEEP_WORK"):
            shutil.rmtree(cls.work, ignore_errors=True)

    def assertRefused(self, name, device, reason=None):
        self.server.add_printer(name, device, expect=REFUSED)
        if reason:
            with open(self.server.log, errors="replace") as f:
                self.assertIn(reason, f.read())

    def test_programs_outside_the_backend_folder_never_run(self):
        backends = self.server.backends
        group_writable = self.server.add_backend("shared.sh", "#!/bin/sh\ntouch %s\n" % self.ran, mode=0o775)
        link = os.path.join(backends, "link.sh")
        os.symlink(self.evil, link)
        cases = [("outside", self.evil, "is not in a back-end folder"),
                 ("writable", group_writable, "others than root may change"),
                 ("symlink", link, "leads through the symbolic link"),
                 ("dotdot", backends + "/../evil.sh", "leads out of its back-end folder"),
                 ("missing", backends + "/no-such-program", "cannot be used")]
        for name, program, reason in cases:
            with self.subTest(name):
                self.assertRefused(name, "k7730-command://" + program, reason)
        self.assertFalse(os.path.exists(self.ran), "a program the administrator did not allow ran")

    def test_folders_the_server_cannot_write_are_refused(self):
        root_only = os.path.join(self.work, "root-only")
        os.mkdir(root_only, 0o755)
        # PAPPL itself refuses a file: URI it cannot write, before it asks
        # the driver, and names no reason then.
        cases = [("rootonly", root_only, None),
                 ("nofolder", os.path.join(self.work, "no-such-folder"), None),
                 ("state", self.server.state, "inside the server\\'s state folder")]
        for name, folder, reason in cases:
            with self.subTest(name):
                self.assertRefused(name, "file://" + folder, reason)

    def test_a_permitted_backend_receives_the_job(self):
        received = os.path.join(self.work, "received")
        os.mkdir(received)
        os.chown(received, NOBODY.pw_uid, NOBODY.pw_gid)
        target = os.path.join(received, "job.pwg")
        program = self.server.add_backend("to-folder", "#!/bin/sh\ncat > %s\n" % target)
        self.server.add_printer("allowed", "k7730-command://" + program)
        job, _ = self.server.print_job("allowed", self.page.pwg, PWG, name="allowed")
        self.assertEqual(self.server.wait_job("allowed", job)["job-state"], "completed")
        pages = fixtures.read_output(target)
        self.assertEqual(len(pages), 1)
        self.assertTrue(pages[0][2] == self.page.expected([]))

    def test_a_record_root_stores_belongs_to_the_server(self):
        record = os.path.join(self.work, "root.k7730")
        subprocess.run([server.PRINT, "-q", "settings", "save", record], check=True, env=server.ENV, timeout=60)
        run = server.settings_command(self.server.state, "stored", record)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(os.stat(os.path.join(self.server.state, "stored.k7730")).st_uid, NOBODY.pw_uid)

    def test_a_folder_the_server_may_write_prints(self):
        out = os.path.join(self.work, "out")
        os.mkdir(out)
        os.chown(out, NOBODY.pw_uid, NOBODY.pw_gid)
        self.server.add_printer("folder", "file://" + out)
        job, _ = self.server.print_job("folder", self.page.pwg, PWG, name="folder-job")
        self.assertEqual(self.server.wait_job("folder", job)["job-state"], "completed")
        self.assertEqual(os.listdir(out), ["folder-job.pwg"])


class ServerOptionsTest(unittest.TestCase):
    """Options are checked before the server starts; nothing listens when
    one is wrong."""

    def start(self, *options):
        work = tempfile.mkdtemp(prefix="ServerOptions-", dir=base.WORK)
        args = [server.APP, "server", "-o", "state-directory=" + os.path.join(work, "state"),
                "-o", "server-socket=none"]
        for option in options:
            args += ["-o", option]
        run = subprocess.run(args, capture_output=True, text=True, env=server.ENV, timeout=60)
        shutil.rmtree(work, ignore_errors=True)
        return run

    def test_bad_options_are_errors_that_name_the_option(self):
        port = "server-port=%d" % server.free_port()
        cases = [(["server-port=abc"], "server-port=abc"),
                 (["server-port=70000"], "server-port=70000"),
                 ([port, "log-level=chatty"], "log-level=chatty"),
                 ([port, "trusted-network=maybe"], "trusted-network=maybe"),
                 ([port, "no-such-option=1"], "unknown server option no-such-option"),
                 ([port, "auth-service=k7730-no-such-service"], "no such PAM service"),
                 ([port, "listen-hostname=no-such-host.invalid"], "no such host name")]
        for options, words in cases:
            with self.subTest(options):
                run = self.start(*options)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(words, run.stderr)

    def test_the_network_needs_logins_or_an_explicit_trust(self):
        run = self.start("server-port=%d" % server.free_port(), "listen-hostname=*")
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("listen-hostname=*", run.stderr)
        self.assertIn("auth-service", run.stderr)


class SocketTest(unittest.TestCase):
    """A second server never takes the socket of one that runs."""

    def test_second_server_leaves_the_socket_to_the_first(self):
        require_root()
        work = tempfile.mkdtemp(prefix="SocketTest-", dir=base.WORK)
        first = server.Server(os.path.join(work, "first"))
        socket_path = os.path.join(work, "k7730.sock")
        first.extra_options = lambda: ["-o", "server-socket=" + socket_path]
        first.start()
        try:
            inode = os.stat(socket_path).st_ino
            second = subprocess.run([server.APP, "server", "-o", "server-port=%d" % server.free_port(),
                                     "-o", "state-directory=" + os.path.join(work, "second"),
                                     "-o", "server-socket=" + socket_path],
                                    capture_output=True, text=True, env=server.ENV, timeout=60)
            self.assertNotEqual(second.returncode, 0)
            self.assertIn("another server answers on " + socket_path, second.stderr)
            self.assertEqual(os.stat(socket_path).st_ino, inode)
            # The first still serves, and announces nothing while it is
            # reachable from loopback only.
            first.add_printer("still", "file://" + work)
            self.assertFalse(first.printer_attribute("still", "printer-dns-sd-name"))
        finally:
            first.stop()
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
