#!/usr/bin/env python3
"""Checks the command icons that the build draws into bin/Img, and the
application icon's Windows .ico file (icons/vk47.ico beside bin/).

The window loads each icon as a 50 x 72 bitmap and treats the colour of its
bottom-left pixel as transparent, so that pixel must be pure white, and the
fifteen pictures must be real drawings that a pupil can tell apart.
"""
import itertools
import pathlib
import struct
import sys
import unittest

NUMBERS = [1, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27, 28, 29, 30, 31]
WIDTH, HEIGHT = 50, 72
PICTURE_ROWS = 56  # the drawing above the caption band
WHITE = (255, 255, 255)
IMG = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else "bin/Img")
ICO = IMG.parent.parent / "icons" / "vk47.ico"
ICO_SIZES = [16, 24, 32, 48, 64, 256]
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_bmp(path):
    """Returns (bits per pixel, width, height, rows top to bottom of (r, g, b))."""
    data = path.read_bytes()
    if data[:2] != b"BM":
        raise ValueError(f"{path.name}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    _, width, height, _, bpp, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bpp != 24 or compression != 0:
        return bpp, width, height, None
    stride = (width * 3 + 3) & ~3
    rows = []
    for r in range(abs(height)):
        start = offset + r * stride
        row = data[start:start + width * 3]
        rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, width * 3, 3)])
    if height > 0:  # stored bottom-up
        rows.reverse()
    return bpp, width, abs(height), rows


class IconsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.icons = {n: read_bmp(IMG / f"{n}.bmp") for n in NUMBERS if (IMG / f"{n}.bmp").exists()}
        # Pixels only of the well-formed ones; the others fail the format test.
        cls.pixels = {n: icon[3] for n, icon in cls.icons.items()
                      if icon[3] is not None and icon[1:3] == (WIDTH, HEIGHT)}

    def test_every_icon_is_a_24_bit_50_by_72_bitmap(self):
        for n in NUMBERS:
            with self.subTest(icon=n):
                self.assertIn(n, self.icons, f"{n}.bmp missing in {IMG}")
                bpp, width, height, _ = self.icons[n]
                self.assertEqual((bpp, width, height), (24, WIDTH, HEIGHT))

    def test_bottom_left_pixel_is_the_white_transparent_colour(self):
        for n, rows in self.pixels.items():
            with self.subTest(icon=n):
                self.assertEqual(rows[HEIGHT - 1][0], WHITE)

    def test_each_icon_has_a_drawing_and_a_background(self):
        for n, rows in self.pixels.items():
            with self.subTest(icon=n):
                picture = [px for row in rows[:PICTURE_ROWS] for px in row]
                drawn = sum(px != WHITE for px in picture) / len(picture)
                self.assertGreater(drawn, 0.15, "too little drawn to recognise")
                self.assertLess(drawn, 0.85, "too little background to see the shape")
                caption = [px for row in rows[PICTURE_ROWS:] for px in row]
                self.assertGreater(sum(px != WHITE for px in caption), len(caption) // 2,
                                   "caption band missing")

    def test_drawings_differ_pairwise(self):
        # Compared above the caption, so two icons cannot differ by their word alone.
        for a, b in itertools.combinations(self.pixels, 2):
            with self.subTest(pair=(a, b)):
                pa, pb = self.pixels[a][:PICTURE_ROWS], self.pixels[b][:PICTURE_ROWS]
                differing = sum(x != y for ra, rb in zip(pa, pb) for x, y in zip(ra, rb))
                self.assertGreater(differing, 150)


class WindowsIconTest(unittest.TestCase):
    def test_ico_holds_one_png_per_size_where_its_directory_says(self):
        data = ICO.read_bytes()
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((reserved, kind, count), (0, 1, len(ICO_SIZES)))
        end_of_directory = 6 + 16 * count
        expected_offset = end_of_directory
        for i, size in enumerate(ICO_SIZES):
            with self.subTest(size=size):
                w, h, colours, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
                # A width or height of 0 stands for 256: one byte cannot hold it.
                self.assertEqual((w or 256, h or 256, colours, planes, bpp), (size, size, 0, 1, 32))
                self.assertEqual(offset, expected_offset, "images back to back, in directory order")
                image = data[offset:offset + length]
                self.assertEqual(len(image), length, "image runs past the end of the file")
                self.assertEqual(image[:8], PNG_SIGNATURE)
                png_w, png_h = struct.unpack_from(">II", image, 16)  # IHDR
                self.assertEqual((png_w, png_h), (size, size))
                expected_offset += length
        self.assertEqual(expected_offset, len(data), "nothing after the last image")


if __name__ == "__main__":
    unittest.main()
