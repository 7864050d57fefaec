#!/usr/bin/python3
"""Dumps an .xls workbook as read by xlrd, one line per item, tab-separated:
sheet NAME NROWS NCOLS / cell SHEET ROW COL KIND FORMAT ALIGN BOLD VALUE / width SHEET COL WIDTH."""
import sys

import xlrd


def esc(s):
    return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def main():
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
    out = []
    for si, sh in enumerate(book.sheets()):
        out.append("sheet\t%s\t%d\t%d" % (esc(sh.name), sh.nrows, sh.ncols))
        for col, info in sorted(sh.colinfo_map.items()):
            out.append("width\t%d\t%d\t%d" % (si, col, info.width))
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY or cell.ctype == xlrd.XL_CELL_BLANK:
                    continue
                xf = book.xf_list[cell.xf_index]
                fmt = book.format_map[xf.format_key].format_str
                font = book.font_list[xf.font_index]
                align = xf.alignment.hor_align
                if cell.ctype == xlrd.XL_CELL_TEXT:
                    kind, value = "text", esc(cell.value)
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    kind, value = "number", repr(cell.value)
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    t = xlrd.xldate_as_tuple(cell.value, book.datemode)
                    kind, value = "date", "%04d-%02d-%02d %02d:%02d:%02d" % t
                else:
                    kind, value = "other", esc(str(cell.value))
                out.append("cell\t%d\t%d\t%d\t%s\t%s\t%d\t%d\t%s\t%s" % (
                    si, r, c, kind, esc(fmt), align, 1 if font.bold else 0, esc(font.name), value))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
