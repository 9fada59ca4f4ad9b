#!/usr/bin/python3
"""Writes the workbook fixtures of the table import tests.

Needs python3-xlwt, python3-openpyxl and (for the files a spreadsheet program saves) soffice from
libreoffice-calc-nogui. The generated files are kept beside this script, so the tests need none of them.
Run from anywhere with the system interpreter: /usr/bin/python3 make_workbooks.py
"""
import os
import shutil
import subprocess
import tempfile
import zipfile

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
HEAD = ["cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"]
FORMULA = object()  # a cell holding =1+2

# Flags 0, 1, 10, 11; a number, a hex text, a fraction, a cell of one blank, an empty cell, a formula.
PDO_ROWS = [
    [385, "0x10", 0, 3.5, " "],
    ["0x181", 7, 1, None, 2],
    [640, 12, 10, FORMULA, "x"],
    ["0x201", 5, 11, 1, 123456789],
]
# The second record's flag cell is empty: the import stops there.
STOP_ROWS = [
    [1, 2, 1, 3, 4],
    [5, 6, None, 7, 8],
    [9, 10, 0, 11, 12],
]


def write_xls(path, sheets):
    book = xlwt.Workbook()
    for name, rows in sheets:
        ws = book.add_sheet(name)
        for c, h in enumerate(HEAD):
            ws.write(0, c, h)
        for r, row in enumerate(rows, start=1):
            for c, v in enumerate(row):
                if v is FORMULA:
                    ws.write(r, c, xlwt.Formula("1+2"))
                elif v is not None:
                    ws.write(r, c, v)
    book.save(path)


def write_xlsx(path, sheets):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        ws = book.create_sheet(name)
        ws.append(HEAD)
        for row in rows:
            ws.append(["=1+2" if v is FORMULA else v for v in row])
    book.save(path)


def soffice_convert(source, target_ext, target):
    out = tempfile.mkdtemp()
    try:
        subprocess.run(["soffice", "--headless", "--convert-to", target_ext, "--outdir", out, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        produced = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + "." + target_ext.split(":")[0])
        shutil.move(produced, target)
    finally:
        shutil.rmtree(out, ignore_errors=True)


def write_handmade_xlsx(path):
    """Inline strings, a prefixed namespace, relative part names with "..", rich text, booleans,
    cached formula results, an error value, gaps, cells without references and a used range that
    starts in B2, as other writers produce them."""
    parts = {
        "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/></Types>',
        "_rels/.rels": '<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="book/main.xml"/>'
        '</Relationships>',
        "book/main.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<x:sheets><x:sheet name="Notes" sheetId="1" r:id="rId7"/><x:sheet name="RPDODEF" sheetId="2" r:id="rId8"/></x:sheets>'
        '</x:workbook>',
        "book/_rels/main.xml.rels": '<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="sheets/../sheets/notes.xml"/>'
        '<Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="sheets/pdo.xml"/>'
        '<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="strings.xml"/>'
        '</Relationships>',
        "book/strings.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
        '<si><t>cobid</t></si><si><r><t>rich </t></r><r><t xml:space="preserve"> text</t></r></si></sst>',
        "book/sheets/notes.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
        '<row r="1"><c r="A1" t="inlineStr"><is><t>nothing here</t></is></c></row></sheetData></worksheet>',
        # Used range B2:F6: headings in row 2, column A empty.
        "book/sheets/pdo.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
        '<row r="2"><c r="B2" t="s"><v>0</v></c><c r="C2" t="inlineStr"><is><t>id</t></is></c>'
        '<c r="D2" t="inlineStr"><is><t>flag</t></is></c><c r="E2" t="inlineStr"><is><t>pos</t></is></c>'
        '<c r="F2" t="inlineStr"><is><t>n</t></is></c></row>'
        '<row r="3"><c r="B3"><v>385</v></c><c r="D3" t="b"><v>1</v></c><c r="F3" t="s"><v>1</v></c></row>'
        '<row><c r="B4" t="inlineStr"><is><t>0x181</t></is></c><c t="str"><f>"a"&amp;"b"</f><v>ab</v></c>'
        '<c r="D4"><v>10</v></c><c><f>2*3</f><v>6</v></c><c r="F4" t="inlineStr"><is><t xml:space="preserve"> </t></is></c></row>'
        '<row r="6"><c r="B6"><v>1.5E-3</v></c><c r="C6" t="e"><v>#DIV/0!</v></c><c r="D6"><v>11</v></c>'
        '<c r="E6"><f>1/0</f></c><c r="F6" t="inlineStr"><is><t>a_x0009_b</t></is></c></row>'
        '</sheetData></worksheet>',
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)


def main():
    os.chdir(HERE)
    main_sheets = [("Other", [[9, True, False, -0.25, 1e20]]), ("RpdoDef", PDO_ROWS)]
    write_xls("pdo_xlwt.xls", main_sheets)
    write_xlsx("pdo_openpyxl.xlsx", main_sheets)
    write_xls("pdo_stop_xlwt.xls", [("rpdodef", STOP_ROWS)])
    write_xlsx("pdo_stop_openpyxl.xlsx", [("rpdodef", STOP_ROWS)])
    write_xlsx("pdo_nosheet_openpyxl.xlsx", [("rpdodef2", PDO_ROWS), ("Sheet1", PDO_ROWS)])
    write_handmade_xlsx("pdo_handmade.xlsx")
    if shutil.which("soffice"):
        soffice_convert("pdo_xlwt.xls", "xlsx", "pdo_calc.xlsx")
        soffice_convert("pdo_xlwt.xls", "ods", "pdo_calc.ods")
        soffice_convert("pdo_xlwt.xls", 'xls:MS Excel 97', "pdo_calc.xls")
        soffice_convert("pdo_stop_xlwt.xls", "ods", "pdo_stop_calc.ods")


if __name__ == "__main__":
    main()
