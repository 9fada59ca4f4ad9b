// Projects in odd places: folders whose names hold blanks, quotes and non-ASCII letters; a read-only
// project folder; a full disk. Every reader and writer either works or says why and changes nothing.

#include "HardeningSupport.h"
#include "canopen/PdoDocument.h"
#include "cli/CliTables.h"
#include "mapping/MappingDocument.h"
#include "platform/IniFile.h"
#include "settings/CommSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace velmaro;
using namespace velmaro::test;

namespace {

// One way a project's files are written, and its outcome as a status.
struct Writer
{
    QString name;
    std::function<Status(const ProjectPaths&)> write;
};

Status fromVerb(const VerbRun& run)
{
    return run.code == 0 ? Status()
                         : Status::failure(run.err.trimmed().isEmpty() ? QStringLiteral("(no message)")
                                                                       : run.err.trimmed());
}

QList<Writer> Writers()
{
    QList<Writer> writers = {
        {QStringLiteral("pargen.xml"),
         [](const ProjectPaths& p) {
             const auto loaded = LoadCommSettings(p.PargenXmlPath);
             if (!loaded.ok() || !loaded.value())
                 return Status::failure(QStringLiteral("not loaded: ") + loaded.error());
             CommSettings s = *loaded.value();
             s.Profi_ID = QStringLiteral("5");
             return SaveCommSettings(p.PargenXmlPath, s);
         }},
        {QStringLiteral("sdo.xml"),
         [](const ProjectPaths& p) {
             MappingLoad load = LoadMappingDocument(p.SdoXmlPath);
             if (!load.ok())
                 return Status::failure(QStringLiteral("not loaded: ") + load.error);
             load.tables.in.append(load.tables.in.value(0));
             return SaveMappingDocument(p.SdoXmlPath, load.tables);
         }},
        {QStringLiteral("bank.bin"),
         [](const ProjectPaths& p) { return fromVerb(RunVerb(QStringLiteral("image"), {p.ProjectDir})); }},
        {QStringLiteral("GSD file"),
         [](const ProjectPaths& p) {
             return fromVerb(
                 RunVerb(QStringLiteral("gsd"), {p.ProjectDir, p.ProjectDir + QStringLiteral("/out.gsd")}));
         }},
        {QStringLiteral("INI file"),
         [](const ProjectPaths& p) {
             const QString ini = p.ProjectDir + QStringLiteral("/Velmaro_Ferrant.ini");
             return WriteProfileString(ini, QStringLiteral("Velmaro"), QStringLiteral("Project"),
                                       QStringLiteral("x y"))
                        ? Status()
                        : Status::failure(QStringLiteral("WriteProfileString failed"));
         }},
    };
    for (const cli::CliTable& table : cli::CliTables()) {
        writers.append(
            {QStringLiteral("table %1").arg(QLatin1String(table.name)), [&table](const ProjectPaths& p) {
                 const auto session = table.create();
                 session->load(p);
                 return session->save(p);
             }});
        writers.append(
            {QStringLiteral("CSV %1").arg(QLatin1String(table.name)), [&table](const ProjectPaths& p) {
                 const auto session = table.create();
                 session->load(p);
                 return session->exportCsv(p);
             }});
    }
    return writers;
}

// A small tmpfs mounted for one test, unmounted when it ends.
class TmpfsMount
{
public:
    explicit TmpfsMount(const QString& dir, int kilobytes) : m_dir(QFile::encodeName(dir))
    {
        QDir().mkpath(dir);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = ::mount("tmpfs", m_dir.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool makeReadOnly()
    {
        return ::mount(nullptr, m_dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

// A folder that takes no new file but holds one writable file, as a read-only shared folder can: as root
// (whom permission bits do not stop) a read-only tmpfs with the file bound in from a writable place,
// otherwise a folder without write permission.
class ReadOnlyFolderWithWritableFile
{
public:
    ReadOnlyFolderWithWritableFile(const QString& folder, const QString& file, const QString& backing)
        : m_folder(folder), m_file(QFile::encodeName(file))
    {
        if (geteuid() != 0) {
            m_ok =
                WriteBytes(file, "old") && QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        m_mount = std::make_unique<TmpfsMount>(folder, 256);
        m_ok = m_mount->mounted() && WriteBytes(file, QByteArray()) && WriteBytes(backing, "old");
        m_bound =
            m_ok
            && ::mount(QFile::encodeName(backing).constData(), m_file.constData(), nullptr, MS_BIND, nullptr)
                   == 0;
        m_ok = m_bound && m_mount->makeReadOnly();
    }
    ~ReadOnlyFolderWithWritableFile()
    {
        if (m_bound)
            ::umount2(m_file.constData(), MNT_DETACH);
        if (!m_mount)
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_folder;
    QByteArray m_file;
    std::unique_ptr<TmpfsMount> m_mount;
    bool m_bound = false;
    bool m_ok = false;
};

void addWriterRows()
{
    QTest::addColumn<int>("writer");
    const QList<Writer> writers = Writers();
    for (int i = 0; i < writers.size(); ++i)
        QTest::newRow(qPrintable(writers.at(i).name)) << i;
}

// Runs the writer in a project that cannot be written and expects a message and no change.
void expectRefusedAndUnchanged(const QString& root, const ProjectPaths& p, const Writer& writer)
{
    const Snapshot before = TakeSnapshot(root);
    const Status status = writer.write(p);
    if (status.ok()) {
        // Only a tiny output (a table with no records) may still fit: under the 16-byte limit, say.
        const Snapshot after = TakeSnapshot(root);
        for (const QString& name : Differences(before, after))
            QVERIFY2(after.value(name).size() < 16,
                     qPrintable(writer.name + QStringLiteral(" reported success: ")
                                + QString::fromUtf8(after.value(name).toPercentEncoding())));
        QSKIP("this writer's output is too small to be stopped here");
    }
    QVERIFY(!status.error().trimmed().isEmpty());
    if (writer.name != QLatin1String("INI file"))
        QVERIFY2(status.error().contains(QLatin1String("Cannot create file"))
                     || status.error().contains(QLatin1String("Cannot save")),
                 qPrintable(status.error()));
    const QStringList changed = Differences(before, TakeSnapshot(root));
    QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("changed: ") + changed.join(QLatin1Char(' '))));
}

} // namespace

class TestHostilePlaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oddFolderNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks") << QStringLiteral("My  Projects/Pump line 2");
        QTest::newRow("quotes") << QStringLiteral("Say \"hello\"/it's 'quoted'");
        QTest::newRow("non-ASCII letters") << QStringLiteral("Projekte Ölpumpe/Überwachung ñandú 設定 Ωμέγα");
        QTest::newRow("shell and percent signs") << QStringLiteral("a&b;c$HOME %1 %20/[x] {y} #z");
        QTest::newRow("leading and trailing blanks") << QStringLiteral(" lead/trail ");
    }

    // Every document is read and written in such a folder, and a failure message names it unchanged.
    void oddFolderNames()
    {
        QFETCH(QString, folder);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString dir = tmp.path() + QLatin1Char('/') + folder;
        const ProjectPaths p = MakeProject(tmp.path(), dir);
        const qsizetype rowsIn = LoadMappingDocument(p.SdoXmlPath).tables.in.size();
        for (const Writer& writer : Writers()) {
            const Status status = writer.write(p);
            QVERIFY2(status.ok(), qPrintable(writer.name + QStringLiteral(": ") + status.error()));
        }
        QCOMPARE(LoadCommSettings(p.PargenXmlPath).value()->Profi_ID, QStringLiteral("5"));
        QCOMPARE(LoadMappingDocument(p.SdoXmlPath).tables.in.size(), rowsIn + 1);
        QCOMPARE(ReadProfileString(dir + QStringLiteral("/Velmaro_Ferrant.ini"), QStringLiteral("Velmaro"),
                                   QStringLiteral("Project")),
                 QStringLiteral("x y"));
        QCOMPARE(RunVerb(QStringLiteral("check"), {dir}).code, 0);

        // A workbook with an odd name in the same folder imports.
        const QString book = dir + QStringLiteral("/Tabelle \"ä\" 'b'.xlsx");
        QVERIFY(QFile::copy(QStringLiteral(VELMARO_TEST_DATA "/canopen/pdo_openpyxl.xlsx"), book));
        PdoTable table;
        const ImportOutcome imported = PdoDocument::importWorkbook(book, table, ImportRule::Editor);
        QVERIFY2(imported.ok(), qPrintable(imported.reason));

        // A message about a broken document shows the folder's name as it is.
        QVERIFY(WriteBytes(dir + QStringLiteral("/pargen.xml"), "<Par_Gen>"));
        const VerbRun refused = RunVerb(QStringLiteral("image"), {dir});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(folder), qPrintable(refused.err));
        QVERIFY(WriteBytes(dir + QStringLiteral("/sdo.xml"),
                           "<S><ProfiBUS_IN><row Slave_ID=\"1\"/></ProfiBUS_IN></S>"));
        const MappingLoad broken = LoadMappingDocument(p.SdoXmlPath);
        QVERIFY2(broken.error.contains(folder), qPrintable(broken.error));
    }

    void readOnlyProject_data() { addWriterRows(); }
    void readOnlyProject()
    {
        QFETCH(int, writer);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString root = tmp.path() + QStringLiteral("/ro");
        TmpfsMount mount(root, 1024);
        if (!mount.mounted() && geteuid() == 0)
            QSKIP("running as root, where permission bits do not stop writes, and no tmpfs can be mounted "
                  "read-only here: no read-only folder to test with");
        const ProjectPaths p = MakeProject(tmp.path(), root + QStringLiteral("/project"));
        QVERIFY(WriteProfileString(p.ProjectDir + QStringLiteral("/Velmaro_Ferrant.ini"),
                                   QStringLiteral("Velmaro"), QStringLiteral("Project"),
                                   QStringLiteral("old")));
        // Permission bits do not stop root; a read-only mount stops everyone.
        const QFile::Permissions readOnly =
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
        // Without the mount, the files are made read-only too: a writable file in a read-only folder is
        // rewritten in place (writableFileInReadOnlyFolder).
        const QStringList files = TakeSnapshot(p.ProjectDir).keys();
        if (mount.mounted())
            QVERIFY(mount.makeReadOnly());
        else
            for (const QString& name : files + QStringList{QString(), QStringLiteral("bin")})
                QVERIFY(QFile::setPermissions(p.ProjectDir + QLatin1Char('/') + name, readOnly));
        expectRefusedAndUnchanged(root, p, Writers().at(writer));
        if (!mount.mounted())
            for (const QString& folder : QStringList{p.ProjectDir, p.ProjectDir + QStringLiteral("/bin")})
                QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
    }

    // A writable output in a folder that takes no new file is still replaced: rewritten in place.
    void writableFileInReadOnlyFolder_data()
    {
        QTest::addColumn<QString>("output"); // relative to the project
        QTest::newRow("GSD file in a shared folder") << "shared/out.gsd";
        QTest::newRow("bank.bin") << "bin/bank.bin";
    }
    void writableFileInReadOnlyFolder()
    {
        QFETCH(QString, output);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const ProjectPaths p = MakeProject(tmp.path(), tmp.path() + QStringLiteral("/project"));
        const QString file = p.ProjectDir + QLatin1Char('/') + output;
        const QString folder = QFileInfo(file).path();
        QVERIFY(QDir().mkpath(folder));
        const bool gsd = output.endsWith(QLatin1String(".gsd"));
        const QString reference = tmp.path() + QStringLiteral("/reference.gsd");
        QCOMPARE(RunVerb(QStringLiteral("gsd"), {p.ProjectDir, reference}).code, 0);
        const QByteArray expected =
            gsd ? ReadBytes(reference)
                : ReadBytes(QStringLiteral(VELMARO_TEST_DATA "/device/bank_defaults.bin"));

        ReadOnlyFolderWithWritableFile place(folder, file, tmp.path() + QStringLiteral("/backing"));
        if (!place.ok())
            QSKIP("no read-only folder with a writable file can be made here");
        QVERIFY(!WriteBytes(folder + QStringLiteral("/new"), "x"));
        const VerbRun run = gsd ? RunVerb(QStringLiteral("gsd"), {p.ProjectDir, file})
                                : RunVerb(QStringLiteral("image"), {p.ProjectDir});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(ReadBytes(file), expected);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QFileInfo(file).fileName()});
    }

    // A write that fails part-way (here: over the file-size limit, which needs no privileges, unlike a
    // full disk) is reported and leaves the old file.
    void writeFailsPartWay_data() { addWriterRows(); }
    void writeFailsPartWay()
    {
        QFETCH(int, writer);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const ProjectPaths p = MakeProject(tmp.path(), tmp.path() + QStringLiteral("/project"));
        QVERIFY(WriteProfileString(p.ProjectDir + QStringLiteral("/Velmaro_Ferrant.ini"),
                                   QStringLiteral("Velmaro"), QStringLiteral("Project"),
                                   QStringLiteral("old")));
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 16; // smaller than every output
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        expectRefusedAndUnchanged(tmp.path(), p, Writers().at(writer));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);
    }

    void fullDisk_data() { addWriterRows(); }
    void fullDisk()
    {
        QFETCH(int, writer);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString root = tmp.path() + QStringLiteral("/full");
        TmpfsMount mount(root, 512);
        if (!mount.mounted())
            QSKIP("cannot mount a small tmpfs here (needs root), so no full disk to test with");
        const ProjectPaths p = MakeProject(tmp.path(), root + QStringLiteral("/project"));
        QVERIFY(WriteProfileString(p.ProjectDir + QStringLiteral("/Velmaro_Ferrant.ini"),
                                   QStringLiteral("Velmaro"), QStringLiteral("Project"),
                                   QStringLiteral("old")));
        // Fill what is left, to the last byte.
        QFile filler(root + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
        filler.close();
        expectRefusedAndUnchanged(root, p, Writers().at(writer));
    }
};

QTEST_GUILESS_MAIN(TestHostilePlaces)
#include "tst_hostileplaces.moc"
