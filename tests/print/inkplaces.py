#!/usr/bin/env python3
"""Compares where the ink of two PDF pages lies: each text line (a run of
rows with ink) and each word in it (ink separated by 2 mm of paper) must sit
at the same place in both, within a tolerance in millimetres. Used to check
a printed report against the exported one when the printed PDF's text can
no longer be read as text (a PostScript round trip re-encodes its fonts).

usage: inkplaces.py EXPECTED.pdf ACTUAL.pdf PAGE TOLERANCE_MM"""
import subprocess
import sys
import tempfile

DPI = 150
MM = DPI / 25.4


def gray_page(pdf, page, folder):
    prefix = f"{folder}/p{abs(hash(pdf))}"
    subprocess.run(["pdftoppm", "-q", "-r", str(DPI), "-f", str(page), "-l", str(page), "-gray", "-singlefile",
                    pdf, prefix], check=True)
    data = open(prefix + ".pgm", "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:]


def lines_and_words(width, height, pixels):
    ink = lambda x, y: pixels[y * width + x] < 160
    rows = [any(ink(x, y) for x in range(width)) for y in range(height)]
    found, y = [], 0
    while y < height:
        if not rows[y]:
            y += 1
            continue
        top = y
        while y < height and rows[y]:
            y += 1
        columns = [any(ink(x, r) for r in range(top, y)) for x in range(width)]
        words, x, gap = [], 0, int(2 * MM)
        while x < width:
            if not columns[x]:
                x += 1
                continue
            left = x
            blank = 0
            while x < width and blank < gap:
                blank = 0 if columns[x] else blank + 1
                x += 1
            words.append((left, x - blank))
        found.append((top, y, words))
    return found


def main():
    expected_pdf, actual_pdf, page, tolerance = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
    with tempfile.TemporaryDirectory() as folder:
        expected = gray_page(expected_pdf, page, folder)
        actual = gray_page(actual_pdf, page, folder)
    if abs(expected[0] - actual[0]) > 2 or abs(expected[1] - actual[1]) > 2:
        sys.exit(f"page sizes differ: {expected[:2]} and {actual[:2]} pixels at {DPI} dpi")
    a, b = lines_and_words(*expected), lines_and_words(*actual)
    if len(a) != len(b):
        sys.exit(f"{len(a)} lines of ink expected, {len(b)} found")
    worst = 0.0
    for (top, bottom, words), (top2, bottom2, words2) in zip(a, b):
        if len(words) != len(words2):
            sys.exit(f"the line at {top / MM:.2f} mm: {len(words)} words expected, {len(words2)} found")
        offsets = [top - top2, bottom - bottom2] + [p - q for w, w2 in zip(words, words2) for p, q in zip(w, w2)]
        worst = max(worst, max(abs(o) for o in offsets) / MM)
        if worst > tolerance:
            sys.exit(f"the line at {top / MM:.2f} mm is {worst:.2f} mm from its place")
    print(f"{len(a)} lines, {sum(len(w) for _, _, w in a)} words; the farthest {worst:.2f} mm from its place")


main()
