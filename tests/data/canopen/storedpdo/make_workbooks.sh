#!/bin/sh
# Regenerates the workbooks of the stored-PDO import tests with a spreadsheet program.
# The sheet of each workbook takes the name of its CSV file. Needs soffice (LibreOffice).
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/a" "$work/b" "$work/c"
# index (text or number), subindex, nrpdo (bit 7: CanB), poscomp; the last record names PDO 9 of
# CanA, which the test projects do not have.
printf 'index,subindex,nrpdo,poscomp\n0x6000,1,1,33\n0x6001,2,2,\n0x7000,1,129,16\n5,5,9,0\n' > "$work/a/sdopdo.csv"
printf 'index,subindex,nrpdo,poscomp\n' > "$work/b/sdopdo.csv"
cp "$work/a/sdopdo.csv" "$work/c/other.csv"
# A record with PDO number 0 after one good record.
printf 'index,subindex,nrpdo,poscomp\n0x6000,1,1,33\n0x6001,1,128,0\n0x6002,1,2,0\n' > "$work/c/SDOPDO.csv"
for d in a b c; do
    (cd "$work/$d" && for f in *.csv; do
        soffice --headless -env:UserInstallation=file://$work/profile --convert-to xlsx --outdir . "$f" >/dev/null
    done)
done
cp "$work/a/sdopdo.xlsx" "$here/sdopdo.xlsx"
cp "$work/b/sdopdo.xlsx" "$here/norows.xlsx"
cp "$work/c/other.xlsx" "$here/nosheet.xlsx"
cp "$work/c/SDOPDO.xlsx" "$here/stopped.xlsx"
