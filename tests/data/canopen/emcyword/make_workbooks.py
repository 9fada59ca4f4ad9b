#!/usr/bin/python3
# Writes the EMCY word import fixtures with Debian's python3-openpyxl:
#   emcyword.xlsx: worksheet "EmcyWord" (another letter case), two words of side A, one of side B,
#                  one with side marker 2 (dropped), an empty mask cell;
#   emcyword_nosheet.xlsx: only a worksheet "other".
#   emcyword_stop.xlsx: the second record has an empty side marker (ends the import there).
import openpyxl

NAMES = ["index_addrm", "subindex", "extdata", "devid"] + [
    "bit%d_%s" % (n, f) for n in range(16) for f in ("b0", "b1", "poscomp")]


def word(index, sub, side, devid, first_poscomp):
    bits = []
    for n in range(16):
        bits += ["0xFF", "" if n == 1 else 1, first_poscomp + n]
    return [index, sub, side, devid] + bits


def save(name, sheet, rows):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = sheet
    ws.append(NAMES)
    for r in rows:
        ws.append(r)
    wb.save(name)


save("emcyword.xlsx", "EmcyWord", [
    word("0x2000", 1, 0, 5, 37),
    word(8192, 2, 1, 6, 0),
    word(4096, 3, 0, 7, 16),
    word(1, 1, 2, 1, 0),
])
save("emcyword_stop.xlsx", "emcyword", [
    word(1, 1, 0, 1, 0),
    word(2, 2, "", 1, 0),
    word(3, 3, 0, 1, 0),
])
wb = openpyxl.Workbook()
wb.active.title = "other"
wb.active.append(NAMES)
wb.save("emcyword_nosheet.xlsx")
