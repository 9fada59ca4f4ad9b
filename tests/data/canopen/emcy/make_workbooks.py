#!/usr/bin/python3
# Writes the EMCY translation import fixtures. Run with Debian's python3-xlwt and python3-openpyxl:
#   /usr/bin/python3 make_workbooks.py
# The generated files are kept beside this script, so the tests need neither module.
import openpyxl
import xlwt

HEADINGS = ["id_dev", "mask_eq_ec", "mask_eq_er", "mask_eq_m1", "mask_eq_m2", "mask_eq_m3",
            "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3", "bypass_set"]

# None is an empty cell. Side B rows (flag bit 5) are mixed in; the import sorts them by side.
RECORDS = [
    [20, "0xFF00", 255, None, 4660, 1, 65535, 255, 0, 0, " ", 3],
    ["0x10", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 37],
    [3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16],
    [127, 1.5, None, None, None, None, None, None, None, None, None, 32],
]

BAD_FLAG = [
    [5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1],
    [6, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, "abc"],
    [7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0],
]


def write_xls(path, sheets):
    book = xlwt.Workbook()
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, sheets):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for row in rows:
            sheet.append(row)
    book.save(path)


write_xls("emcydef.xls", [("Other", [["x"], [1]]), ("EmcyDef", [HEADINGS] + RECORDS)])
write_xlsx("emcydef.xlsx", [("notes", [["x"]]), ("emcydef", [HEADINGS] + RECORDS)])
write_xlsx("nosheet.xlsx", [("Sheet1", [HEADINGS] + RECORDS)])
write_xlsx("badflag.xlsx", [("emcydef", [HEADINGS] + BAD_FLAG)])
