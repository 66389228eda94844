"""Reads a .docx file with python-docx and prints what it found as JSON:
the body in order (paragraphs and tables), with the formatting the reports
use. Used by the office tests to check the writer against a reader we did
not write."""
import json
import sys

import docx
from docx.table import Table
from docx.text.paragraph import Paragraph


def enum_value(value):
    return None if value is None else int(value)


def pt(length):
    return None if length is None else round(length.pt, 2)


def paragraph_json(p):
    return {
        "kind": "p",
        "text": p.text,
        "alignment": enum_value(p.alignment),
        "tabs": [[pt(t.position), enum_value(t.alignment)] for t in p.paragraph_format.tab_stops],
        "runs": [
            {
                "text": r.text,
                "bold": bool(r.bold),
                "underline": bool(r.underline),
                "size": pt(r.font.size),
                "font": r.font.name,
            }
            for r in p.runs
        ],
    }


def table_json(t):
    # Merged cells are one cell element seen from several grid places.
    # The elements are kept referenced, so that identity is meaningful.
    seen = []
    cells = []
    for r, row in enumerate(t.rows):
        line = []
        for c in range(len(t.columns)):
            cell = t.cell(r, c)
            anchor = next((at for tc, at in seen if tc is cell._tc), None)
            if anchor is None:
                anchor = [r, c]
                seen.append((cell._tc, anchor))
            line.append(
                {
                    "text": cell.text,
                    "anchor": anchor,
                    "valign": enum_value(cell.vertical_alignment),
                    "bold": [bool(run.bold) for p in cell.paragraphs for run in p.runs],
                }
            )
        cells.append(line)
    return {
        "kind": "table",
        "widths": [pt(col.width) for col in t.columns],
        "heights": [[pt(row.height), enum_value(row.height_rule)] for row in t.rows],
        "cells": cells,
    }


def main(path):
    document = docx.Document(path)
    body = []
    for child in document.element.body.iterchildren():
        tag = child.tag.split("}")[1]
        if tag == "p":
            body.append(paragraph_json(Paragraph(child, document)))
        elif tag == "tbl":
            body.append(table_json(Table(child, document)))
    json.dump(body, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
