"""The sub-commands of k7730-printer-app as an administrator types them:
against a server on its local socket or at a printer URI, and with no
server at all, when they must say so and start none of their own.

The sub-commands look for the server's socket as PAPPL does: a user's in
$TMPDIR, root's in /run unless $SNAP_COMMON names another folder. Each
test points both at a folder of its own, so no other server on the machine
is ever reached."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

import base
import fixtures
import server

# PAPPL's sub-commands wait up to 10 s for a server they started themselves;
# one that knows no server runs answers at once.
QUICK = 5


def socket_in(folder):
    uid = os.getuid()
    return os.path.join(folder, "k7730-printer-app.sock" if uid == 0 else "k7730-printer-app%d.sock" % uid)


def command(folder, *args):
    """Runs a sub-command that looks for its server in `folder`; returns the
    finished process and how long it took."""
    env = dict(server.ENV, TMPDIR=folder, SNAP_COMMON=folder)
    started = time.monotonic()
    run = subprocess.run([server.APP] + list(args), capture_output=True, text=True, env=env, timeout=120)
    return run, time.monotonic() - started


class SocketServer(server.Server):
    """A test server that also listens where the sub-commands look."""

    def __init__(self, workdir, folder):
        super().__init__(workdir)
        self.folder = folder

    def extra_options(self):
        return ["-o", "server-socket=" + socket_in(self.folder)]


class CommandsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(base.WORK, exist_ok=True)
        cls.work = tempfile.mkdtemp(prefix="CommandsTest-", dir=base.WORK)
        cls.out = os.path.join(cls.work, "out")
        cls.sockets = os.path.join(cls.work, "sockets")
        os.mkdir(cls.out)
        os.mkdir(cls.sockets)
        cls.server = SocketServer(cls.work, cls.sockets)
        cls.server.start()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        if not os.environ.get("K7730_KEEP_WORK"):
            shutil.rmtree(cls.work, ignore_errors=True)

    def run_ok(self, *args):
        run, _ = command(self.sockets, *args)
        self.assertEqual(run.returncode, 0, "%s: %s%s" % (args, run.stdout, run.stderr))
        return run.stdout

    def printers(self):
        return self.run_ok("printers").splitlines()

    def test_delete_on_an_idle_server_by_name_and_by_uri(self):
        # Printers added while the server runs, as clients add them.
        names = ["by-name", "by-uri", "Two Words", "stays"]
        for name in names:
            self.server.add_printer(name, "file://" + self.out)
        self.run_ok("delete", "-d", "by-name")
        self.run_ok("delete", "-u", self.server.printer_uri("by-uri"))
        self.run_ok("delete", "-d", "Two Words", "-o", "ignored=1")
        left = self.printers()
        self.assertIn("stays", left)
        self.assertFalse(set(names[:3]) & set(left), left)
        for args, words in [(["-d", "by-name"], "no printer named 'by-name'"),
                            (["-u", self.server.printer_uri("by-uri")], "not found"),
                            ([], "delete needs -d PRINTER or -u PRINTER-URI")]:
            with self.subTest(args):
                run, _ = command(self.sockets, "delete", *args)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(words, run.stderr)
        self.assertIn("stays", self.printers())

    def test_default_names_a_printer_added_while_running(self):
        for name in ("first", "second"):
            self.server.add_printer(name, "file://" + self.out)
        self.run_ok("default", "-d", "second")
        self.assertEqual(self.run_ok("default").strip(), "second")
        self.run_ok("default", "-u", self.server.printer_uri("first"), "-d", "first")
        self.assertEqual(self.run_ok("default").strip(), "first")

    def test_options_list_what_submit_and_modify_take(self):
        self.server.add_printer("opts", "file://" + self.out)
        listing = self.run_ok("options", "-d", "opts")
        self.assertIn("  -n COPIES\n", listing)
        self.assertNotIn("-c COPIES", listing)
        for line in ("  -o k7730-sharpen=settings|mild|medium|strong|off\n",
                     "  -o print-rendering-intent=auto|perceptual|relative|saturation\n"):
            self.assertIn(line, listing)
        # what it lists works: copies, and the module's choices as defaults
        photo = fixtures.Page(self.work, "photo", 1200, 1800, seed=3)
        self.run_ok("submit", "-d", "opts", "-n", "2", "-t", "two-copies", photo.jpeg)
        self.run_ok("modify", "-d", "opts", "-o", "k7730-sharpen-default=strong",
                    "-o", "print-rendering-intent-default=relative")
        for name, value in (("k7730-sharpen-default", "strong"), ("print-rendering-intent-default", "relative")):
            self.assertEqual(self.server.printer_attribute("opts", name), value)
        path = os.path.join(self.out, "two-copies.pwg")
        for _ in range(300):
            if os.path.exists(path) and len(fixtures.read_output(path)) == 2:
                break
            time.sleep(0.2)
        self.assertEqual(len(fixtures.read_output(path)), 2)

    def test_status_of_a_running_server(self):
        self.assertIn("Running", self.run_ok("status"))

    def test_add_names_a_device_folder_that_does_not_exist(self):
        missing = os.path.join(self.work, "no-such-folder")
        run, _ = command(self.sockets, "add", "-d", "nowhere", "-m", "k7730", "-v", "file://" + missing)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("the device folder %s does not exist" % missing, run.stderr)
        self.run_ok("add", "-d", "somewhere", "-m", "k7730", "-v", "file://" + self.out)
        self.assertIn("somewhere", self.printers())


class NoServerTest(unittest.TestCase):
    """Nothing answers where the sub-commands look."""

    def setUp(self):
        os.makedirs(base.WORK, exist_ok=True)
        self.work = tempfile.mkdtemp(prefix="NoServerTest-", dir=base.WORK)
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        self.page = os.path.join(self.work, "page.pwg")
        with open(self.page, "wb") as f:
            f.write(b"RaS2")

    def assertNothingStarted(self, args, took):
        self.assertLess(took, QUICK, "%s waited for a server" % (args,))
        self.assertEqual(os.listdir(self.work), ["page.pwg"], "%s left a socket" % (args,))

    def test_commands_that_need_a_server_fail_and_start_none(self):
        cases = [["status"], ["printers"], ["jobs"], ["shutdown"], ["delete", "-d", "photo"],
                 ["default", "-d", "photo"], ["add", "-d", "photo", "-m", "k7730", "-v", "file://" + self.work],
                 ["submit", "-d", "photo", self.page], ["-d", "photo", self.page]]
        for args in cases:
            with self.subTest(args):
                run, took = command(self.work, *args)
                self.assertNotEqual(run.returncode, 0, run.stdout)
                self.assertIn("no server is running (start one with 'k7730-printer-app server')", run.stderr)
                self.assertNothingStarted(args, took)

    def test_drivers_and_devices_need_no_server(self):
        run, took = command(self.work, "drivers")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, 'k7730 "K7730 dye-sublimation photo printer" ""\n')
        self.assertNothingStarted(["drivers"], took)
        # Without a DNS-SD daemon too: network printers are no devices of
        # this program, and none are looked for.
        run, took = command(self.work, "devices")
        self.assertEqual(run.returncode, 0, run.stderr)
        lines = run.stdout.splitlines()
        self.assertIn("file:///FOLDER", lines)
        self.assertIn("k7730-command:///PROGRAM", lines)
        self.assertNothingStarted(["devices"], took)

    def test_settings_are_stored_in_the_state_folder_the_environment_names(self):
        record = os.path.join(self.work, "photo.k7730")
        subprocess.run([server.PRINT, "-q", "settings", "save", record], check=True, env=server.ENV, timeout=60)
        named = os.path.join(self.work, "named")
        xdg = os.path.join(self.work, "xdg")
        os.mkdir(xdg)
        cases = [({"K7730_PRINTER_APP_STATE": named, "XDG_STATE_HOME": xdg}, named)]
        if os.getuid() != 0:   # root's folder is /var/lib/k7730-printer-app whatever $XDG_STATE_HOME says
            cases.append(({"XDG_STATE_HOME": xdg}, os.path.join(xdg, "k7730-printer-app")))
        for variables, folder in cases:
            with self.subTest(variables):
                env = {k: v for k, v in server.ENV.items() if k not in ("K7730_PRINTER_APP_STATE", "XDG_STATE_HOME")}
                env.update(variables)
                run = subprocess.run([server.APP, "settings", "-d", "photo", record], capture_output=True, text=True,
                                     env=env, timeout=60)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertTrue(os.path.isfile(os.path.join(folder, "photo.k7730")), run.stdout)

    def test_devices_lists_the_backend_programs_the_server_may_run(self):
        if os.geteuid() != 0:
            self.skipTest("back-end programs are root's; the test makes them as root")
        backends = os.path.join(self.work, "backends")
        os.mkdir(backends, 0o755)
        for name, mode in (("allowed", 0o755), ("shared", 0o775)):
            with open(os.path.join(backends, name), "w") as f:
                f.write("#!/bin/sh\ncat > /dev/null\n")
            os.chmod(os.path.join(backends, name), mode)
        run, _ = command(self.work, "devices", "-o", "backend-directories=" + backends)
        self.assertEqual(run.returncode, 0, run.stderr)
        listed = [line for line in run.stdout.splitlines() if line.startswith("k7730-command://" + backends)]
        self.assertEqual(listed, ["k7730-command://" + os.path.join(backends, "allowed")])


if __name__ == "__main__":
    unittest.main()
