"""RGB pictures and their comparison: PPM, xwd dumps and XPM sources read
into a Picture, and counts of the pixels in which two pictures differ."""
import re
import struct

from layout import check


class Picture:
    """An RGB picture: width, height and 3 bytes a pixel, rows top down."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        o = 3 * (y * self.width + x)
        return tuple(self.rgb[o:o + 3])

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        o = 3 * y * self.width
        return self.rgb[o + 3 * x0:o + 3 * x1]

    def crop(self, box):
        x, y, w, h = box
        return Picture(w, h, b"".join(self.row(yy, x, x + w) for yy in range(y, y + h)))

    def write_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(self.rgb)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    check(fields[0] == b"P6" and fields[3] == b"255", "%s is no 8-bit P6 picture" % path)
    width, height = int(fields[1]), int(fields[2])
    pos += 1
    return Picture(width, height, data[pos:pos + 3 * width * height])


def parse_xwd(data):
    """A depth 24 ZPixmap xwd dump, 4 or 3 bytes a pixel, as a Picture. A
    DirectColor dump (Xvfb with Wine's desktop on it) passes each channel
    through its colour map."""
    header = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    visual_class, (red_mask, green_mask, blue_mask) = header[13], header[14:17]
    ncolors = header[19]
    check(pixmap_format == 2 and depth == 24 and bits_per_pixel in (24, 32),
          "unexpected xwd format (format %d, %d bpp)" % (pixmap_format, bits_per_pixel))
    check((red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF), "unexpected xwd masks")
    tables = [None, None, None]
    if visual_class == 5 and ncolors >= 256:
        entries = [struct.unpack(">IHHHBB", data[header_size + 12 * i:header_size + 12 * i + 12])
                   for i in range(256)]
        tables = [bytes(e[1 + c] >> 8 for e in entries) for c in range(3)]
    pixels = data[header_size + 12 * ncolors:]
    # byte order 0: least significant byte first, so a pixel reads B G R (x).
    step = bits_per_pixel // 8
    b_at, g_at, r_at = (0, 1, 2) if byte_order == 0 else (step - 1, step - 2, step - 3)
    rgb = bytearray(3 * width * height)
    for y in range(height):
        row = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        o = 3 * width * y
        for c, at in enumerate((r_at, g_at, b_at)):
            channel = row[at::step]
            rgb[o + c:o + 3 * width:3] = channel.translate(tables[c]) if tables[c] else channel
    return Picture(width, height, rgb)


def differing_pixels(shot, expected, box, skip=()):
    """How many pixels of box differ between the screenshot and the expected
    picture (whose top-left is the screen's), leaving out the boxes in skip."""
    x0, y0, w, h = box
    count = 0
    for y in range(y0, y0 + h):
        a, b = shot.row(y, x0, x0 + w), expected.row(y, x0, x0 + w)
        if a == b:
            continue
        for x in range(w):
            if a[3 * x:3 * x + 3] != b[3 * x:3 * x + 3]:
                if not any(sx <= x0 + x < sx + sw and sy <= y < sy + sh for sx, sy, sw, sh in skip):
                    count += 1
    return count


def lit_pixels_outside(shot, box):
    """How many pixels of the whole shot outside box are not black."""
    x, y, w, h = box
    count = 0
    for yy in range(shot.height):
        row = shot.row(yy)
        for part in ([row[:3 * x], row[3 * (x + w):]] if y <= yy < y + h else [row]):
            if part.count(0) != len(part):
                count += sum(1 for i in range(0, len(part), 3) if part[i:i + 3] != b"\0\0\0")
    return count


def differing_in_place(shot, image, box):
    """Pixels of box on the screen that differ from image (of the box's size)."""
    x, y, w, h = box
    check((image.width, image.height) == (w, h),
          "image is %dx%d, its box %dx%d" % (image.width, image.height, w, h))
    count = 0
    for yy in range(h):
        a, b = shot.row(y + yy, x, x + w), image.row(yy)
        if a != b:
            count += sum(a[3 * i:3 * i + 3] != b[3 * i:3 * i + 3] for i in range(w))
    return count


def read_xpm(path):
    """The picture of the XPM data in a C source file (one character a pixel)."""
    with open(path) as f:
        source = f.read()
    strings = re.findall(r'"([^"]*)"', source[source.index("{"):])
    width, height, ncolours, _ = (int(v) for v in strings[0].split())
    colours = {}
    for line in strings[1:1 + ncolours]:
        colours[line[0]] = bytes.fromhex(line.split()[-1].lstrip("#"))
    rows = strings[1 + ncolours:1 + ncolours + height]
    return Picture(width, height, b"".join(colours[c] for row in rows for c in row))
