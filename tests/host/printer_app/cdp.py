"""A headless chromium driven through the DevTools protocol over its
debugging pipe (file descriptors 3 and 4, JSON messages ending in NUL):
no WebSocket client and nothing from outside the standard library."""

import base64
import json
import os
import select
import shutil
import subprocess
import tempfile
import time


class Browser:
    def __init__(self, workdir):
        exe = shutil.which("chromium") or shutil.which("chromium-browser")
        if exe is None:
            raise RuntimeError("chromium is not installed (scripts/install-deps.sh installs it)")
        self.profile = tempfile.mkdtemp(prefix="chromium-", dir=workdir)
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        for fd in (self.to_browser, self.from_browser):
            os.set_inheritable(fd, False)

        def wire():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)

        args = [exe, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                "--remote-debugging-pipe", "--user-data-dir=" + self.profile, "--window-size=1100,1400",
                "about:blank"]
        self.log = open(os.path.join(workdir, "chromium.log"), "wb")
        # The pipes are moved to 3 and 4 in the child, so descriptors are not
        # closed by number there (the parent's own are close-on-exec).
        self.proc = subprocess.Popen(args, preexec_fn=wire, close_fds=False, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def send(self, method, params=None, session=True, timeout=60):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            msg["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(msg).encode() + b"\0")
        while True:
            reply = self._receive(timeout)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)

    def wait_event(self, method, timeout=60):
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method:
                    return self.events.pop(i)
            self.events.append(self._receive(max(0.1, deadline - time.time())))

    def _receive(self, timeout):
        deadline = time.time() + timeout
        while b"\0" not in self.buffer:
            left = deadline - time.time()
            if left <= 0 or not select.select([self.from_browser], [], [], left)[0]:
                raise TimeoutError("chromium did not answer")
            chunk = os.read(self.from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("chromium closed its debugging pipe; see chromium.log")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def open_page(self):
        target = self.send("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True},
                                 session=False)["sessionId"]
        self.send("Page.enable")
        self.send("Runtime.enable")

    def navigate(self, url):
        self.events.clear()
        self.send("Page.navigate", {"url": url})
        self.wait_event("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError("script failed: %s" % result["exceptionDetails"])
        return result["result"].get("value")

    def set_file(self, selector, path):
        """Chooses `path` in the file input `selector`, as a person would."""
        found = self.send("Runtime.evaluate", {"expression": "document.querySelector(%s)" % json.dumps(selector)})
        self.send("DOM.setFileInputFiles", {"files": [path], "objectId": found["result"]["objectId"]})

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png", "captureBeyondViewport": True})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.send("Browser.close", session=False, timeout=10)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        os.close(self.to_browser)
        os.close(self.from_browser)
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)
