#include "HardeningSupport.h"

#include "cli/Cli.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <sys/stat.h>

namespace velmaro::test {

Snapshot TakeSnapshot(const QString& root)
{
    Snapshot snapshot;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        snapshot.insert(QDir(root).relativeFilePath(path),
                        info.isFile() ? ReadBytes(path)
                                      : QByteArray("special ") + info.symLinkTarget().toUtf8());
    }
    return snapshot;
}

QStringList Differences(const Snapshot& before, const Snapshot& after)
{
    QSet<QString> names(before.keyBegin(), before.keyEnd());
    for (auto it = after.keyBegin(); it != after.keyEnd(); ++it)
        names.insert(*it);
    QStringList differ;
    for (const QString& name : names) {
        if (!before.contains(name) || !after.contains(name) || before.value(name) != after.value(name))
            differ << name;
    }
    differ.sort();
    return differ;
}

bool WriteBytes(const QString& nativePath, const QByteArray& bytes)
{
    QFile file(nativePath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool MakeSpecialFile(const QString& kind, const QString& nativePath)
{
    QFile::remove(nativePath);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(QFile::encodeName(nativePath).constData(), 0644) == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(nativePath);
    return kind == QLatin1String("devzero") && QFile::link(QStringLiteral("/dev/zero"), nativePath);
}

QByteArray ReadBytes(const QString& nativePath)
{
    QFile file(nativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ProjectPaths MakeProject(const QString& appDir, const QString& projectDir)
{
    QDir().mkpath(projectDir + QStringLiteral("/bin"));
    ProjectPaths paths;
    paths.AppDir = appDir;
    paths.ProjectDir = projectDir;
    SetDocumentPaths(paths);
    const QString data = QStringLiteral(VELMARO_TEST_DATA);
    QFile::copy(data + QStringLiteral("/settings/defaults.xml"), projectDir + QStringLiteral("/pargen.xml"));
    QFile::copy(data + QStringLiteral("/mapping/full.xml"), projectDir + QStringLiteral("/sdo.xml"));
    QFile::copy(data + QStringLiteral("/device/bank_defaults.bin"),
                projectDir + QStringLiteral("/bin/bank.bin"));
    QFile::copy(data + QStringLiteral("/device/gsd_10_4.gsd"), projectDir + QStringLiteral("/out.gsd"));
    WriteBytes(
        projectDir + QStringLiteral("/rpdodef.xml"),
        "<rpdodef>\n  <row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\" />\n"
        "  <row cobid=\"0x182\" id_dev_orig=\"2\" en_bypass=\"0\" posind=\"1\" n_tpdo=\"2\" "
        "/>\n</rpdodef>\n");
    WriteBytes(projectDir + QStringLiteral("/sdopdo.xml"),
               "<sdopdo>\n  <row index=\"1\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\" />\n</sdopdo>\n");
    WriteBytes(
        projectDir + QStringLiteral("/emcydef.xml"),
        "<emcydef>\n  <row id_dev=\"9\" mask_eq_ec=\"1\" mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" "
        "mask_eq_m3=\"5\" enmask_eq_ec=\"6\" enmask_eq_er=\"7\" enmask_eq_m1=\"8\" enmask_eq_m2=\"9\" "
        "enmask_eq_m3=\"10\" bypass_set=\"37\" />\n</emcydef>\n");
    WriteBytes(projectDir + QStringLiteral("/rpdodef.csv"),
               "cobid,id_dev_orig,en_traslate,posind,n_tpdo,\r\n");
    // Files copied from the source tree may be read-only; the tests replace them.
    QDirIterator it(projectDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return paths;
}

VerbRun RunVerb(const QString& name, const QStringList& args)
{
    VerbRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    cli::Io io{out, err};
    for (const cli::Verb& verb : cli::Verbs()) {
        if (name == QLatin1String(verb.name)) {
            run.code = cli::RunVerb(verb, args, io);
            out.flush();
            err.flush();
            return run;
        }
    }
    run.err = QStringLiteral("no verb ") + name;
    return run;
}

} // namespace velmaro::test
