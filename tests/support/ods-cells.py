#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints an OpenDocument spreadsheet as a reader of the format (odfpy) sees
it, for the tests of the report: "# SHEET" before each sheet, then a line a
row with its cells apart by ";", each as TYPE:VALUE (the typed value of a
number or date, the text of a string; ":" for an empty cell)."""

import sys

from odf.opendocument import load
from odf.table import Table, TableCell, TableRow


def value(cell):
    kind = cell.getAttribute("valuetype") or ""
    typed = {"float": "value", "date": "datevalue", "time": "timevalue"}.get(kind)
    return kind + ":" + (cell.getAttribute(typed) if typed else str(cell))


document = load(sys.argv[1])
for table in document.spreadsheet.getElementsByType(Table):
    print("# " + table.getAttribute("name"))
    for row in table.getElementsByType(TableRow):
        print(";".join(value(c) for c in row.getElementsByType(TableCell)))
