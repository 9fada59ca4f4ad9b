#!/usr/bin/env python3
"""Writes the project pairs that tst_projectdiff compares: each case folder holds a/ and b/ (project
folders, or single documents), and expected.txt, the lines velmaro-cli diff prints for it."""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))

PARGEN = [("Ser_Type", "1"), ("Ser_RecTra", "1"), ("Ser_Transmit", "1"), ("Ser_Receive", "1"),
          ("Ser_Trans_Every", "1000"), ("Ser_Receive_End_C", "0x13"), ("Ser_Receive_End_T", "50"),
          ("Ser_Baud", "7"), ("Ser_Par", "0"), ("Ser_DataBits", "3"), ("Ser_TimeOut", "0"),
          ("Profi_ID", "1"), ("Profi_Baud", "10"), ("Profi_NB_IN", "32"), ("Profi_NB_OUT", "16")]

SDO_IN = [("1", "Holding Register", "0x10", "2", "0", "Speed"),
          ("1", "Holding Register", "0x20", "1", "4", "Flow"),
          ("2", "Input Register", "100", "2", "6", "Level"),
          ("2", "Input Register", "104", "1", "10", "Alarm")]
SDO_OUT = [("3", "0x30", "1", "0", "Valve"), ("3", "0x31", "2", "2", "Setpoint")]
IN_NAMES = ["Slave_ID", "Type", "Address_Mod", "NPoint", "Address_Profi", "Mnemonic"]
OUT_NAMES = ["Slave_ID", "Address_Mod", "NPoint", "Address_Profi", "Mnemonic"]

RPDO = [("0x181", "1", "3", "0", "1"), ("0x182", "2", "2", "1", "1"), ("0x201", "3", "1", "0", "2")]
RPDO_NAMES = ["cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"]
SDOPDO = [("0x6000", "1", "1", "0"), ("0x6000", "2", "1", "16"), ("0x6401", "1", "129", "0")]
SDOPDO_NAMES = ["index", "subindex", "nrpdo", "poscomp"]
EMCY_NAMES = ["id_dev", "mask_eq_ec", "mask_eq_er", "mask_eq_m1", "mask_eq_m2", "mask_eq_m3", "enmask_eq_ec",
              "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3", "bypass_set"]
EMCY = [("5", "0x1000", "1", "0", "0", "0", "0xFFFF", "255", "0", "0", "0", "3"),
        ("6", "0x2000", "2", "0", "0", "0", "0xFFFF", "255", "0", "0", "0", "33")]
WORD_NAMES = ["index_addrm", "subindex", "extdata", "devid"] + [
    "bit%d_%s" % (n, part) for n in range(16) for part in ("b0", "b1", "poscomp")]
WORDS = [["0x2000", "1", "0", "5"] + ["0", "0", "0"] * 16, ["0x2001", "0", "1", "6"] + ["1", "2", "18"] * 16]


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace('"', "&quot;")


def row(names, values, order=None, indent="  "):
    pairs = list(zip(names, values))
    if order:
        pairs = [pairs[i] for i in order]
    return indent + "<row " + " ".join('%s="%s"' % (n, esc(v)) for n, v in pairs) + " />\n"


def pargen(fields):
    return "<Par_Gen>\n" + "".join("  <%s>%s</%s>\n" % (k, v, k) for k, v in fields) + "</Par_Gen>\n"


def sdo(rows_in, rows_out):
    text = "<Serial_to_ProfiBus>\n  <ProfiBUS_IN>\n"
    text += "".join(row(IN_NAMES, r, indent="    ") for r in rows_in)
    text += "  </ProfiBUS_IN>\n  <ProfiBUS_OUT>\n"
    text += "".join(row(OUT_NAMES, r, indent="    ") for r in rows_out)
    return text + "  </ProfiBUS_OUT>\n</Serial_to_ProfiBus>\n"


def table(name, names, rows, order=None):
    return "<%s>\n" % name + "".join(row(names, r, order) for r in rows) + "</%s>\n" % name


def project(path, docs):
    os.makedirs(path, exist_ok=True)
    for name, text in docs.items():
        full = os.path.join(path, name)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(text if isinstance(text, bytes) else text.encode("utf-8"))


def base():
    return {"pargen.xml": pargen(PARGEN), "sdo.xml": sdo(SDO_IN, SDO_OUT),
            "rpdodef.xml": table("rpdodef", RPDO_NAMES, RPDO), "sdopdo.xml": table("sdopdo", SDOPDO_NAMES, SDOPDO),
            "emcydef.xml": table("emcydef", EMCY_NAMES, EMCY), "emcyword.xml": table("emcyword", WORD_NAMES, WORDS)}


def extra(name, file_name, lines):
    with open(os.path.join(HERE, name, file_name), "w") as f:
        f.write("".join(line + "\n" for line in lines))


def case(name, a, b, expected):
    folder = os.path.join(HERE, name)
    shutil.rmtree(folder, ignore_errors=True)
    project(os.path.join(folder, "a"), a)
    project(os.path.join(folder, "b"), b)
    with open(os.path.join(folder, "expected.txt"), "w") as f:
        f.write("".join(line + "\n" for line in expected))


def with_field(name, value):
    return [(k, value if k == name else v) for k, v in PARGEN]


def main():
    case("identical", base(), base(), [])

    b = base()
    # A changed list position; the end character written as decimal instead of hex reads the same.
    b["pargen.xml"] = pargen([(k, {"Ser_Baud": "3", "Ser_Receive_End_C": "19"}.get(k, v)) for k, v in PARGEN])
    case("one_field", base(), b, ["pargen.xml: Baudrate (Ser_Baud): 115200 -> 9600"])
    extra("one_field", "expected_text.txt", ["pargen.xml: Character for end frame (Ser_Receive_End_C): 0x13 -> 19",
                                             "pargen.xml: Baudrate (Ser_Baud): 115200 -> 9600"])

    b = base()
    rows = [list(r) for r in SDO_IN]
    rows[2][3] = "4"  # row 3 now covers bytes 6..13 and collides with row 4 at 10..11
    b["sdo.xml"] = sdo(rows, SDO_OUT)
    case("one_cell", base(), b, [
        "sdo.xml: ProfiBus IN row 3: NPoint 2 -> 4",
        "sdo.xml: added finding: ProfiBus IN --> Serial Read: collision on bytes 10..11: "
        "row 3 (slave 2, register 100), row 4 (slave 2, register 104)"])

    b = base()
    b["sdo.xml"] = sdo(SDO_IN[:1] + [("9", "Coil", "7", "1", "12", "New")] + SDO_IN[1:], SDO_OUT)
    case("inserted_row", base(), b, [
        "sdo.xml: ProfiBus IN row 2: added row: Slave ID 9, Type Coil, Address Register 7, NPoint 1, "
        "Address ProfiBUS 12, Mnemonic New"])

    b = base()
    b["sdo.xml"] = sdo(SDO_IN[:1] + SDO_IN[2:], SDO_OUT[1:])
    case("deleted_rows", base(), b, [
        "sdo.xml: ProfiBus IN row 2: removed row: Slave ID 1, Type Holding Register, Address Register 0x20, "
        "NPoint 1, Address ProfiBUS 4, Mnemonic Flow",
        "sdo.xml: ProfiBus OUT row 1: removed row: Slave ID 3, Address Register 0x30, NPoint 1, "
        "Address ProfiBUS 0, Mnemonic Valve"])

    b = base()
    b["rpdodef.xml"] = '<?xml version="1.0" encoding="UTF-8"?>\n' + table(
        "rpdodef", RPDO_NAMES, RPDO, order=[4, 2, 0, 3, 1])
    b["emcyword.xml"] = table("emcyword", WORD_NAMES, WORDS, order=list(reversed(range(len(WORD_NAMES)))))
    case("reordered_attributes", base(), b, [])

    b = base()
    b["sdo.xml"] = "<Serial_to_ProfiBus><ProfiBUS_IN>" + "".join(row(IN_NAMES, r, indent="\t\t") for r in SDO_IN) \
        + "</ProfiBUS_IN>\r\n<ProfiBUS_OUT>" + "".join(row(OUT_NAMES, r, indent="") for r in SDO_OUT) \
        + "</ProfiBUS_OUT></Serial_to_ProfiBus>"
    b["pargen.xml"] = "<Par_Gen>" + "".join("\n\t\t<%s>%s</%s>" % (k, v, k) for k, v in PARGEN) + "</Par_Gen>"
    case("reindented", base(), b, [])

    b = base()
    rows = [list(r) for r in RPDO]
    rows[0][0] = "385"     # the same COB-ID written in decimal
    rows[0][3] = "2"       # posind
    rows.append(["0x301", "4", "0", "0", "3"])  # a new record on CanB
    del rows[1]            # 0x182 on CanA removed
    b["rpdodef.xml"] = table("rpdodef", RPDO_NAMES, rows)
    emcy = [list(r) for r in EMCY]
    emcy[1][11] = "1"      # the entry of id 6 moves from CanB to CanA
    b["emcydef.xml"] = table("emcydef", EMCY_NAMES, emcy)
    case("table_rows", base(), b, [
        "rpdodef.xml: CanA cobid 0x181: posind 0 -> 2",
        "rpdodef.xml: CanA cobid 0x182: removed row: cobid 0x182, id_dev_orig 2, en_bypass 2, posind 1, n_tpdo 1",
        "rpdodef.xml: CanB cobid 0x301: added row: cobid 0x301, id_dev_orig 4, en_bypass 0, posind 0, n_tpdo 3",
        "emcydef.xml: CanA id_dev 6: added row: id_dev 6, mask_eq_ec 0x2000, mask_eq_er 2, mask_eq_m1 0, "
        "mask_eq_m2 0, mask_eq_m3 0, enmask_eq_ec 0xFFFF, enmask_eq_er 255, enmask_eq_m1 0, enmask_eq_m2 0, "
        "enmask_eq_m3 0, bypass_set 1",
        "emcydef.xml: CanB id_dev 6: removed row: id_dev 6, mask_eq_ec 0x2000, mask_eq_er 2, mask_eq_m1 0, "
        "mask_eq_m2 0, mask_eq_m3 0, enmask_eq_ec 0xFFFF, enmask_eq_er 255, enmask_eq_m1 0, enmask_eq_m2 0, "
        "enmask_eq_m3 0, bypass_set 33"])
    extra("table_rows", "expected.csv", [
        "document,place,field,old,new",
        "rpdodef.xml,CanA cobid 0x181,posind,0,2",
        'rpdodef.xml,CanA cobid 0x182,row,"cobid 0x182, id_dev_orig 2, en_bypass 2, posind 1, n_tpdo 1",',
        'rpdodef.xml,CanB cobid 0x301,row,,"cobid 0x301, id_dev_orig 4, en_bypass 0, posind 0, n_tpdo 3"',
        'emcydef.xml,CanA id_dev 6,row,,"id_dev 6, mask_eq_ec 0x2000, mask_eq_er 2, mask_eq_m1 0, mask_eq_m2 0, '
        'mask_eq_m3 0, enmask_eq_ec 0xFFFF, enmask_eq_er 255, enmask_eq_m1 0, enmask_eq_m2 0, enmask_eq_m3 0, '
        'bypass_set 1"',
        'emcydef.xml,CanB id_dev 6,row,"id_dev 6, mask_eq_ec 0x2000, mask_eq_er 2, mask_eq_m1 0, mask_eq_m2 0, '
        'mask_eq_m3 0, enmask_eq_ec 0xFFFF, enmask_eq_er 255, enmask_eq_m1 0, enmask_eq_m2 0, enmask_eq_m3 0, '
        'bypass_set 33",'])

    b = base()
    del b["emcyword.xml"]
    a = base()
    del a["sdopdo.xml"]
    case("missing_one_side", a, b, ["sdopdo.xml: only in B", "emcyword.xml: only in A"])

    b = base()
    b["sdopdo.xml"] = "<sdopdo>\n  <row index=\"0x6000\" subindex=\"1\"\n</sdopdo>\n"
    b["rpdodef.xml"] = table("rpdodef", RPDO_NAMES[:4], RPDO)  # rows without n_tpdo
    case("unreadable", base(), b, [
        "rpdodef.xml: cannot be read in B: Error in reading file XML: row 1 has no attribute \"n_tpdo\"",
        "sdopdo.xml: cannot be read in B: Error in reading file XML: $B/sdopdo.xml: "
        "Error parsing start element tag (line 3, column 1)"])

    # The project's pargen.xml against the bank.bin of a device: 9600 baud, station 5, end character 0x0D.
    image = bytearray([4, 0, 0, 0, 1, 1, 1, 1, 0xE8, 0x03, 0x0D, 50, 0, 3, 0, 5, 10, 32, 16, 3, 0, 0, 0, 0])
    case("image_against_project", base(), {"bin/bank.bin": bytes(image)}, [
        "bank.bin: offset 10: Character for end frame (Ser_Receive_End_C) 13 (end character code 0x13 (19)) -> "
        "0D (end character code 0x0D (13))",
        "bank.bin: offset 13: Baudrate (Ser_Baud) 07 (Baudrate 115200) -> 03 (Baudrate 9600)",
        "bank.bin: offset 15: ID Dev. (Profi_ID) 01 (station address (ID Dev.) 1) -> 05 (station address "
        "(ID Dev.) 5)"])

if __name__ == "__main__":
    main()
