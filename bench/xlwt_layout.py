#!/usr/bin/env python3
"""Writes the datalog workbook's layout with python3-xlwt: the same header
block and 32767 data rows of ten boards (text cells as the program writes
them, column A a number), for comparing its time with kestrav's export.
Usage: xlwt_layout.py OUT.xls [ROWS]"""
import sys
import time

import xlwt

out = sys.argv[1]
rows = int(sys.argv[2]) if len(sys.argv) > 2 else 32767
boards = 10
titles = ["RD-CFGR0-5", "RD-FLGR0-2", "UVTHR", "OVTHR"] + ["CV %d" % c for c in range(1, 13)] + [
    "CELL1 - CELL12 STATUS", "ETMP1", "ETMP2", "ITMP1"]
units = ["HEX", "HEX", "VOLTS", "VOLTS"] + ["VOLTS"] * 12 + ["STATUS", "VOLTS", "VOLTS", "VOLTS"]

start = time.perf_counter()
book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Sheet1")
bold = xlwt.easyxf("font: bold on; align: vert centre")
sheet.write(0, 0, out, bold)
sheet.write(1, 0, "KESTRAV-1 DATALOGGING SPREADSHEET", bold)
sheet.write(9, 0, "SAMPLE", bold)
sheet.write(10, 0, "POINT", bold)
sheet.write(9, 1, "TIME STAMP", bold)
sheet.write(10, 1, "Date/Time", bold)
for b in range(boards):
    for j in range(20):
        sheet.write(9, 20 * b + 2 + j, "(%d) %s" % (b + 1, titles[j]), bold)
        sheet.write(10, 20 * b + 2 + j, units[j], bold)
for p in range(1, rows + 1):
    r = 10 + p
    row = sheet.row(r)
    row.write(0, p)
    row.write(1, "%02d:%02d:%02d PM @ 12-07-2026" % (2 + p // 3600 % 10, p // 60 % 60, p % 60))
    for b in range(boards):
        col = 20 * b + 2
        row.write(col, "E2, 00, 00, 00, 00, 00.")
        row.write(col + 1, "00, 00, 00")
        row.write(col + 2, "3.120V ")
        row.write(col + 3, "4.200V ")
        for c in range(12):
            code = 2600 - (p * 7 // 100) % 400 - 2 * (c + 1) - b
            row.write(col + 4 + c, "%.3f" % (code * 6.144 / 4095))
        row.write(col + 16, "OK, OK, OK, OK, OK, OK, OK, OK, OK, OK, DC, OK")
        row.write(col + 17, " 1.200")
        row.write(col + 18, " 1.201")
        row.write(col + 19, " 1.202")
    if p % 1000 == 0:
        sheet.flush_row_data()
book.save(out)
print("%.3f" % (time.perf_counter() - start))
