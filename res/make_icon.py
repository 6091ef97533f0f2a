#!/usr/bin/env python3
"""Draws Tarvello's icon (a note on a shuffled stack of numbered lines) and
writes it as 16-colour XPM images, 32 x 32 and 16 x 16. The PNG and ICO files
beside them are made from these with ImageMagick:
    convert tarvello-32.xpm tarvello-32.png
    convert tarvello-16.xpm tarvello-16.png
    convert tarvello-16.xpm tarvello-32.xpm tarvello.ico
"""

PALETTE = {
    ".": "None",       # transparent
    "b": "#1F4E8C",    # background blue
    "d": "#163A69",    # darker edge
    "w": "#FFFFFF",    # note
    "y": "#F2B134",    # number bars
    "o": "#D9822B",    # bar shade
}


def draw(size):
    s = size / 32.0
    grid = [["." for _ in range(size)] for _ in range(size)]

    def fill(x0, y0, x1, y1, c):
        for y in range(int(round(y0 * s)), int(round(y1 * s))):
            for x in range(int(round(x0 * s)), int(round(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    grid[y][x] = c

    def disc(cx, cy, r, c):
        for y in range(size):
            for x in range(size):
                if ((x + 0.5) / s - cx) ** 2 / 1.3 + ((y + 0.5) / s - cy) ** 2 <= r * r:
                    grid[y][x] = c

    # Rounded square.
    fill(2, 1, 30, 31, "d")
    fill(1, 2, 31, 30, "d")
    fill(2, 2, 30, 30, "b")
    for x, y in ((1, 1), (30, 1), (1, 30), (30, 30)):
        fill(x, y, x + 1, y + 1, ".")
    # Three number bars of different lengths: a shuffled list.
    for y, length in ((6, 12), (12, 8), (18, 14)):
        fill(5, y, 5 + length, y + 3, "y")
        fill(5, y + 3, 5 + length, y + 4, "o")
    # An eighth note.
    disc(20, 24, 3.2, "w")
    fill(22, 7, 24, 24, "w")
    fill(24, 7, 27, 9, "w")
    fill(25, 9, 28, 12, "w")
    return grid


def xpm(name, grid):
    size = len(grid)
    used = sorted({c for row in grid for c in row})
    lines = ["/* XPM */", "static const char* const %s[] = {" % name,
             '"%d %d %d 1",' % (size, size, len(used))]
    lines += ['"%s c %s",' % (c, PALETTE[c]) for c in used]
    lines += ['"%s",' % "".join(row) for row in grid]
    lines[-1] = lines[-1].rstrip(",")
    lines.append("};")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    for size in (32, 16):
        with open("tarvello-%d.xpm" % size, "w") as out:
            out.write(xpm("tarvello_%d_xpm" % size, draw(size)))
