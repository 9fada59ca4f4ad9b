#pragma once

// The PDO translation table: its two sides as the grids hold them (the format of its document,
// worksheet and CSV file is PdoDocument's).

#include "canopen/TableMechanisms.h"

#include <QList>
#include <QStringList>

namespace velmaro {

// Columns of a grid row (grid columns 1 to 5).
enum PdoColumn
{
    PdoCobId = 0,
    PdoIdDevOrig = 1,
    PdoEnTraslate = 2, // "1" or "0" after a load or import; whatever was typed otherwise
    PdoPosInd = 3,
    PdoNTpdo = 4,
    PdoColumnCount = 5
};

// Record rows a grid shows (grid rows 1 to 10).
constexpr int PdoShownRows = 10;

// Both sides as their grids hold them. rows[i] is grid row i + 1 with its five cell texts. There are
// always at least PdoShownRows rows; rows beyond them hold records a document or worksheet brought
// past the tenth: kept and saved, but neither shown nor exported. A side's records are its rows up to,
// not including, the first row whose "cobid" is empty.
struct PdoTable
{
    PdoTable();
    void clear();

    // Side A: "PDO From CanA to CanB", grid sga; side B: "PDO From CanB to CanA", grid sgb.
    QList<QStringList>& side(Side s) { return m_sides[s]; }
    const QList<QStringList>& side(Side s) const { return m_sides[s]; }
    bool operator==(const PdoTable& o) const { return m_sides == o.m_sides; }

private:
    Sides<QList<QStringList>> m_sides;
};

// The records of one side: its rows up to the first empty "cobid".
QList<QStringList> PdoRecords(const QList<QStringList>& side);

// The column width that shares a grid's width among its columns: width / columns rounded to the
// nearest integer (a half to the even neighbour), minus 5 pixels.
int SharedColumnWidth(int width, int columns);

} // namespace velmaro
