"""Test pages: a photo-like pattern as PWG raster, Apple raster, PPM and
JPEG, and the expected output of k7730-print for each."""

import os
import random
import subprocess

import pwg
import server


def photo_pixels(width, height, seed=1):
    """Gradients with a little noise, so that sharpening and colour matching
    change nearly every pixel."""
    rng = random.Random(seed)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            n = rng.randrange(-12, 13)
            row += bytes((max(0, min(255, x * 255 // width + n)),
                          max(0, min(255, y * 255 // height - n)),
                          max(0, min(255, (x + y) * 127 // (width + height) + 64 + n))))
        rows.append(bytes(row))
    return b"".join(rows)


# The printer's media in pixels at 300 dpi, portrait; the first is the
# default. A raster page of any other size is fitted onto the job's medium.
MEDIA = (("4x6", 1200, 1800), ("5x7", 1500, 2100), ("6x8", 1800, 2400))


def is_media_size(width, height):
    return any((width, height) in ((w, h), (h, w)) for _, w, h in MEDIA)


class Page:
    """One test page in every form a test needs."""

    def __init__(self, workdir, name, width, height, seed=1):
        self.width, self.height = width, height
        self.pixels = photo_pixels(width, height, seed)
        self.ppm = os.path.join(workdir, name + ".ppm")
        pwg.write_ppm(self.ppm, width, height, self.pixels)
        self.pwg = os.path.join(workdir, name + ".pwg")
        with open(self.pwg, "wb") as f:
            f.write(pwg.write_stream([pwg.encode_page(width, height, self.pixels)]))
        self.urf = os.path.join(workdir, name + ".urf")
        with open(self.urf, "wb") as f:
            f.write(pwg.urf_stream(width, height, self.pixels))
        self.workdir = workdir
        self.name = name
        self._jpeg = None

    @property
    def jpeg(self):
        if self._jpeg is None:
            self._jpeg = os.path.join(self.workdir, self.name + ".jpg")
            subprocess.run(["convert", self.ppm, "-quality", "90", self._jpeg], check=True, timeout=60)
        return self._jpeg

    @property
    def device_size(self):
        """The page the device gets for this page sent as raster: a page of
        no medium's size is fitted onto 4x6, landscape when wider."""
        if is_media_size(self.width, self.height):
            return self.width, self.height
        _, w, h = MEDIA[0]
        return (h, w) if self.width > self.height else (w, h)

    def expected(self, options, source=None):
        """The pixels k7730-print writes for this page with `options`; for
        the page sent as raster, fitted onto 4x6 as the server fits it."""
        if source is None and not is_media_size(self.width, self.height):
            options = ["--media", MEDIA[0][0], "--fit"] + list(options)
        tag = "%s-expected-%d" % (self.name, abs(hash((tuple(options), source))))
        return server.expected_print(self.workdir, source or self.ppm, options, tag)[2]


def read_output(path):
    """The pages of a PWG raster file the device wrote, as (width, height, pixels)."""
    with open(path, "rb") as f:
        return [(w, h, px) for w, h, _, px in pwg.read_stream(f.read())]
