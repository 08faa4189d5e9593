"""Which module the server loads: the one $K7730FE_MODULE names comes
before the one beside the program. A server whose module does not load
refuses to start and names the file it tried."""

import os
import subprocess
import tempfile
import unittest

import base
import server


class ModuleChoiceTest(unittest.TestCase):
    def test_the_module_the_environment_names_comes_first(self):
        os.makedirs(base.WORK, exist_ok=True)
        with tempfile.TemporaryDirectory(prefix="ModuleChoice-", dir=base.WORK) as work:
            missing = os.path.join(work, "gone", "K7730fe.so")
            args = [server.APP, "server", "-o", "server-port=%d" % server.free_port(),
                    "-o", "state-directory=" + os.path.join(work, "state"), "-o", "server-socket=none"]
            # A server that took the module beside it instead would run on
            # until the time-out ends it.
            run = subprocess.run(args, capture_output=True, text=True, timeout=60,
                                 env=dict(server.ENV, K7730FE_MODULE=missing))
            self.assertEqual(run.returncode, 1, run.stderr)
            self.assertIn("k7730-printer-app: " + missing + ": ", run.stderr)


if __name__ == "__main__":
    unittest.main()
