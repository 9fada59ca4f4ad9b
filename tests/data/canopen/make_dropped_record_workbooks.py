#!/usr/bin/python3
"""Writes the workbooks with a record that the editor's OK would drop, with the standard library only.

  rpdodef_emptycobid.xlsx: three records of side A, the second with an empty "cobid" (the OK keeps the
                           first only);
  emcyword_kept.xlsx: two words of side A and one of side B, every side marker 0 or 1.
(emcyword/emcyword.xlsx already holds a word whose side marker is 2.)
Run from anywhere with the system interpreter: /usr/bin/python3 make_dropped_record_workbooks.py
"""
import os
import zipfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))

CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8"?>'
                 '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                 '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                 '<Default Extension="xml" ContentType="application/xml"/></Types>')
RELS = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
        '</Relationships>')


def column(k):
    name = ""
    k += 1
    while k:
        k, r = divmod(k - 1, 26)
        name = chr(65 + r) + name
    return name


def cell(ref, value):
    if value is None or value == "":
        return ""
    if isinstance(value, (int, float)):
        return '<c r="%s"><v>%s</v></c>' % (ref, value)
    return '<c r="%s" t="inlineStr"><is><t xml:space="preserve">%s</t></is></c>' % (ref, escape(value))


def write_xlsx(path, sheet, rows):
    data = "".join('<row r="%d">%s</row>' % (r + 1, "".join(cell("%s%d" % (column(k), r + 1), v)
                                                             for k, v in enumerate(row)))
                   for r, row in enumerate(rows))
    parts = {
        "[Content_Types].xml": CONTENT_TYPES,
        "_rels/.rels": RELS,
        "xl/workbook.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<sheets><sheet name="%s" sheetId="1" r:id="rId1"/></sheets></workbook>' % sheet,
        "xl/_rels/workbook.xml.rels": '<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '</Relationships>',
        "xl/worksheets/sheet1.xml": '<?xml version="1.0" encoding="UTF-8"?>'
        '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>%s</sheetData></worksheet>' % data,
    }
    with zipfile.ZipFile(os.path.join(HERE, path), "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)


WORD_NAMES = ["index_addrm", "subindex", "extdata", "devid"] + [
    "bit%d_%s" % (n, f) for n in range(16) for f in ("b0", "b1", "poscomp")]


def word(index, sub, side, devid):
    return [index, sub, side, devid] + sum((["0xFF", 1, 16 + n] for n in range(16)), [])


write_xlsx("rpdodef_emptycobid.xlsx", "rpdodef", [
    ["cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"],
    [385, 1, 1, 1, 1],
    ["", 2, 1, 2, 2],
    ["0x181", 3, 1, 3, 3],
])
write_xlsx("emcyword/emcyword_kept.xlsx", "emcyword", [
    WORD_NAMES,
    word("0x2000", 1, 0, 5),
    word(8192, 2, 1, 6),
    word(4096, 3, 0, 7),
])
