#!/usr/bin/python3
# Reads a printed PDF back with MuPDF (python3-fitz) and writes what the
# printing tests check as JSON on standard output:
#   pages, and for the first page: width and height in points, rotation,
#   text (MuPDF's own extraction, blanks as they are),
#   strokes: [x0, y0, x1, y1, line width or null] of every stroked path, in
#            points from the page's top-left corner, as the page is shown,
#   chars:   [character, x0, y0, x1, y1, baseline y] of every glyph: its
#            advance across, the face's ascent and descent up and down.
# usage: pdf-facts.py FILE.pdf
import json
import sys

import fitz

doc = fitz.open(sys.argv[1])
page = doc[0]
facts = {
    "pages": doc.page_count,
    "width": page.rect.width,
    "height": page.rect.height,
    "rotation": page.rotation,
    "text": page.get_text("text"),
    "strokes": [],
    "chars": [],
}
for path in page.get_drawings():
    if "s" in path["type"]:
        r = path["rect"]
        # MuPDF 1.21 gives a turned page's line widths as 0: unknown there.
        width = path["width"] if page.get_contents() and path["width"] else None
        facts["strokes"].append([r.x0, r.y0, r.x1, r.y1, width])
raw = page.get_text("rawdict", flags=fitz.TEXT_PRESERVE_WHITESPACE | fitz.TEXT_PRESERVE_LIGATURES)
for block in raw["blocks"]:
    for line in block.get("lines", []):
        for span in line["spans"]:
            for ch in span["chars"]:
                x0, y0, x1, y1 = ch["bbox"]
                facts["chars"].append([ch["c"], x0, y0, x1, y1, ch["origin"][1]])
json.dump(facts, sys.stdout, ensure_ascii=False)
