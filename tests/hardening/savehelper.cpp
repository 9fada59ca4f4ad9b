// Saves every kind of document and output over and over, for the crash-safety test that kills it.
//   velmaro-savehelper reference DIR  writes version A of everything to DIR/a and version B to DIR/b
//   velmaro-savehelper loop DIR       alternates B, A, B, ... in DIR (which holds version A) until killed

#include "canopen/PdoDocument.h"
#include "canopen/TableMechanisms.h"
#include "device/GsdFile.h"
#include "device/ParameterImage.h"
#include "platform/IniFile.h"
#include "settings/CommSettings.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace velmaro;

namespace {

constexpr int kRecords = 600; // large enough that a save takes a while

CommSettings settings(int version)
{
    CommSettings s;
    for (const CommField& f : CommFields())
        s.*f.member = QStringLiteral("1");
    s.Profi_NB_IN = version ? QStringLiteral("200") : QStringLiteral("10");
    s.Profi_NB_OUT = version ? QStringLiteral("100") : QStringLiteral("4");
    s.Ser_Trans_Every = version ? QStringLiteral("250") : QStringLiteral("1000");
    return s;
}

QList<QStringList> records(int version)
{
    QList<QStringList> rows;
    for (int i = 0; i < kRecords; ++i) {
        const QString key = QStringLiteral("0x%1").arg(0x100 + i * (version ? 3 : 1), 0, 16);
        rows << QStringList{key, QString::number(i % 127 + version), QStringLiteral("3"),
                            QString::number(i % 8), QString::number(version + 1)};
    }
    return rows;
}

// With progress on: the name of each save on stdout before it starts and "ok" when it is done, so the
// test knows which save a kill interrupted.
bool g_progress = false;

void check(const Status& s)
{
    if (g_progress)
        std::fputs("ok\n", stdout);
    if (!s.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        std::exit(1);
    }
}

void starting(const char* name)
{
    if (g_progress)
        std::fprintf(stdout, "%s\n", name);
}

void writeAll(const QString& dir, const QString& sources, int version)
{
    starting("pargen.xml");
    check(SaveCommSettings(dir + QStringLiteral("/pargen.xml"), settings(version)));
    starting("rpdodef.xml");
    TableSideRows sideA, sideB;
    for (const QStringList& row : records(version))
        (row.at(3).toInt() % 2 ? sideB : sideA).append({row.at(0)}, row);
    check(SaveTableDocument(PdoDocument::definition(), dir + QStringLiteral("/rpdodef.xml"), sideA, sideB,
                            OrderRule{QStringLiteral("0x999999"), TieRule::LaterWins}));
    starting("bin/bank.bin");
    QByteArray image(24, char(version ? 0xB5 : 0x5A));
    image[0] = 4;
    check(WriteParameterImage(ParameterImage{image}, dir + QStringLiteral("/bin/bank.bin")));
    starting("out.gsd");
    ProjectPaths sourceProject; // the GSD file of one of two pargen.xml in `sources`
    sourceProject.PargenXmlPath = sources + QStringLiteral("/pargen%1.xml").arg(version);
    check(GenerateGsdFile(sourceProject, dir + QStringLiteral("/out.gsd")));
    starting("Velmaro_Ferrant.ini");
    if (!WriteProfileString(dir + QStringLiteral("/Velmaro_Ferrant.ini"), QStringLiteral("Velmaro"),
                            QStringLiteral("Project"), QString(1500, QLatin1Char(version ? 'B' : 'A'))))
        check(Status::failure(QStringLiteral("INI not written")));
    else
        check(Status());
    starting("rpdodef.csv");
    check(ExportCsv(dir, PdoDocument::definition(), records(version)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString root = QString::fromLocal8Bit(argv[2]);
    if (mode == QLatin1String("reference")) {
        QDir().mkpath(root + QStringLiteral("/sources"));
        for (int version : {0, 1}) {
            check(SaveCommSettings(root + QStringLiteral("/sources/pargen%1.xml").arg(version),
                                   settings(version)));
            const QString dir = root + (version ? QStringLiteral("/b") : QStringLiteral("/a"));
            QDir().mkpath(dir + QStringLiteral("/bin"));
            // The other lines of the INI, which every write must keep.
            WriteProfileString(dir + QStringLiteral("/Velmaro_Ferrant.ini"), QStringLiteral("Other"),
                               QStringLiteral("Kept"), QStringLiteral("yes"));
            writeAll(dir, root + QStringLiteral("/sources"), version);
        }
        return 0;
    }
    const QString sources = QDir(root).absoluteFilePath(QStringLiteral("../sources"));
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    g_progress = true;
    std::fputs("ready\n", stdout);
    for (int round = 1;; ++round)
        writeAll(root, sources, round % 2);
}
