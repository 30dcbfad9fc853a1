#!/usr/bin/env python3
"""Reads a workbook with xlrd (and its container with olefile, when present)
and prints what it found, one fact a line, for the C++ tests to compare:

  LOG <hex>                                      a warning of the reader
  OLE ok <fat sectors> <difat sectors> <stream>  | OLE missing | OLE bad <hex>
  SHEET <sheets> <name hex> <rows> <columns>
  W <column> <width>                             column widths set
  C <row> <col> <type> <value hex> <bold> <vertical> <bottom line>

Texts are printed as hex of their UTF-8 bytes ("-" for empty). Mode "all"
prints every cell; "edges" only rows 0..12, the last row and column A.
"""
import io
import sys

import xlrd


def hexof(text):
    return text.encode("utf-8").hex() if text else "-"


def main():
    path, mode = sys.argv[1], (sys.argv[2] if len(sys.argv) > 2 else "all")
    try:
        import olefile
    except ImportError:
        olefile = None
    if olefile is None:
        print("OLE missing")
    else:
        try:
            ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
            entries = ole.listdir(streams=True, storages=True)
            if entries != [["Workbook"]]:
                raise ValueError("entries %r" % entries)
            size = ole.get_size("Workbook")
            data = ole.openstream("Workbook").read()
            if len(data) != size or data[:2] != b"\x09\x08":
                raise ValueError("stream does not start with BOF")
            print("OLE ok %d %d %d" % (ole.num_fat_sectors, ole.num_difat_sectors, size))
            ole.close()
        except Exception as e:  # report, the test decides
            print("OLE bad " + hexof(repr(e)))

    log = io.StringIO()
    book = xlrd.open_workbook(path, formatting_info=True, logfile=log, verbosity=1)
    for line in log.getvalue().splitlines():
        if "WARNING" in line or "ERROR" in line or "NOTE ***" in line:
            print("LOG " + hexof(line))
    sheet = book.sheet_by_index(0)
    print("SHEET %d %s %d %d" % (book.nsheets, hexof(sheet.name), sheet.nrows, sheet.ncols))
    for col, info in sorted(sheet.colinfo_map.items()):
        print("W %d %d" % (col, info.width))
    for r in range(sheet.nrows):
        if mode == "edges" and not (r <= 12 or r == sheet.nrows - 1):
            cols = range(min(1, sheet.ncols))
        else:
            cols = range(sheet.ncols)
        for c in cols:
            cell = sheet.cell(r, c)
            xf = book.xf_list[cell.xf_index]
            font = book.font_list[xf.font_index]
            bold = 1 if (font.bold and font.weight == 700) else 0
            if cell.ctype == xlrd.XL_CELL_NUMBER:
                value = hexof(repr(cell.value))
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                value = hexof(cell.value)
            else:
                value = "-"
            print("C %d %d %d %s %d %d %d" % (r, c, cell.ctype, value, bold,
                                              xf.alignment.vert_align,
                                              xf.border.bottom_line_style))


if __name__ == "__main__":
    main()
