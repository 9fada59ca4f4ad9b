#pragma once

// Project folders for the stored-PDO tests: the three documents the editor reads, written as text.

#include "base/ProjectPaths.h"
#include "support/TestFiles.h"
#include "support/TestProject.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace velmaro::test {

struct StoredPdoProject
{
    QTemporaryDir dir;
    ProjectPaths paths;

    StoredPdoProject() { UseProjectDir(paths, dir.path()); }

    QString file(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    void write(const QString& name, const QByteArray& text) const
    {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }

    QByteArray read(const QString& name) const { return readFile(file(name)); }

    // rpdodef.xml from "cobid:en_bypass" pairs.
    void writePdos(const QStringList& pdos) const
    {
        QByteArray xml = "<rpdodef>\n";
        for (const QString& p : pdos) {
            const QStringList parts = p.split(QLatin1Char(':'));
            xml += "<row cobid=\"" + parts.at(0).toUtf8() + "\" id_dev_orig=\"1\" en_bypass=\""
                   + parts.at(1).toUtf8() + "\" posind=\"0\" n_tpdo=\"1\"/>\n";
        }
        write(QStringLiteral("rpdodef.xml"), xml + "</rpdodef>\n");
    }

    // sdo.xml as an SDO table from "conf:IndexA:SubindexA" triples.
    void writeSdoTable(const QStringList& rows) const
    {
        QByteArray xml = "<sdo>\n";
        for (const QString& r : rows) {
            const QStringList parts = r.split(QLatin1Char(':'));
            xml += "<row conf=\"" + parts.at(0).toUtf8() + "\" IndexA=\"" + parts.at(1).toUtf8()
                   + "\" SubindexA=\"" + parts.at(2).toUtf8()
                   + "\" devIDB=\"1\" IndexB=\"0x2000\" SubindexB=\"0\" nbyteB=\"2\"/>\n";
        }
        write(QStringLiteral("sdo.xml"), xml + "</sdo>\n");
    }

    // sdopdo.xml from "index:subindex:nrpdo:poscomp" quadruples.
    void writeStored(const QStringList& rows) const
    {
        QByteArray xml = "<sdopdo>\n";
        for (const QString& r : rows) {
            const QStringList parts = r.split(QLatin1Char(':'));
            xml += "<row index=\"" + parts.at(0).toUtf8() + "\" subindex=\"" + parts.at(1).toUtf8()
                   + "\" nrpdo=\"" + parts.at(2).toUtf8() + "\" poscomp=\"" + parts.at(3).toUtf8() + "\"/>\n";
        }
        write(QStringLiteral("sdopdo.xml"), xml + "</sdopdo>\n");
    }
};

// The mapping editor's own document at the same path as the SDO table.
inline const QByteArray kMappingDocument =
    "<Serial_to_ProfiBus><ProfiBUS_IN><row Slave_ID=\"1\" Type=\"Input Register\" Address_Mod=\"10\" "
    "NPoint=\"2\" Address_Profi=\"0\" Mnemonic=\"a\"/></ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>";

} // namespace velmaro::test
