#!/usr/bin/env python3
"""Checks a screenshot of the game filling a screen against the replay's picture of the same
screen; prints what differs and exits 1, or exits 0.

    fill_check.py SHOT.rgb WIDTH HEIGHT PICTURE.rgb

SHOT.rgb is the whole screen and PICTURE.rgb the replay's 640 x 480 attract screen, both as
packed 8-bit RGB. The picture must fill the height (or the width of a screen narrower than 4:3)
at 4:3, centred, black around it; each game pixel, read back where its centre lands, must have
its colour or, where that screen pixel straddles two game pixels, be near it (a sharp
enlargement). Only the attract screen's rows that hold still are compared (the banner, the word
of the day and the SPACE prompt tremble at random), as in the Linux window test.
"""
import sys


def main():
    shot = open(sys.argv[1], "rb").read()
    width, height = int(sys.argv[2]), int(sys.argv[3])
    picture = open(sys.argv[4], "rb").read()
    if len(shot) != width * height * 3 or len(picture) != 640 * 480 * 3:
        print("fill_check: the screenshot or the picture has the wrong size")
        return 1
    if width * 480 >= height * 640:
        h, w = height, height * 640 // 480
    else:
        w, h = width, width * 480 // 640
    left, top = (width - w) // 2, (height - h) // 2

    def at(x, y):
        i = (y * width + x) * 3
        return shot[i:i + 3]

    for y in range(height):
        inside_rows = top <= y < top + h
        row = shot[y * width * 3:(y + 1) * width * 3]
        outside = row if not inside_rows else row[:left * 3] + row[(left + w) * 3:]
        if any(outside):
            print(f"fill_check: not black outside the {w} x {h} picture at ({left}, {top}), row {y}")
            return 1
    exact = compared = worst = 0
    for y in range(480):
        if not (90 <= y < 168 or 190 <= y < 365 or y >= 385):
            continue
        for x in range(640):
            got = at(left + (2 * x + 1) * w // 1280, top + (2 * y + 1) * h // 960)
            want = picture[(y * 640 + x) * 3:(y * 640 + x) * 3 + 3]
            diff = max(abs(a - b) for a, b in zip(got, want))
            worst = max(worst, diff)
            exact += diff == 0
            compared += 1
    if worst <= 64 and exact * 10 >= compared * 9:
        return 0
    print(f"fill_check: {compared - exact} of {compared} pixels differ, by up to {worst}")
    return 1


sys.exit(main())
