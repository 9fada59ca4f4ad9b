// A symbolic link that leads nowhere (its share not mounted) in a file's place: every reader refuses it
// naming the link's target, every writer refuses it, and nothing appears where it points.

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Workbook.h"
#include "platform/XmlDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace velmaro;

class TestFileSystem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void brokenLink_data()
    {
        using Use = std::function<Status(const QString&)>;
        QTest::addColumn<Use>("use");
        QTest::newRow("XML document")
            << Use([](const QString& path) { return LoadXmlDocument(path).status(); });
        QTest::newRow("INI file") << Use([](const QString& path) {
            return ReadProfileValue(path, QStringLiteral("lastproj"), QStringLiteral("projectname")).status();
        });
        QTest::newRow("workbook") << Use([](const QString& path) { return OpenWorkbook(path).status(); });
        QTest::newRow("regular-file check") << Use(&CheckRegularFile);
        QTest::newRow("atomic save") << Use(
            [](const QString& path) { return WriteFileAtomically(path, "<Par_Gen/>"); });
        QTest::newRow("INI write") << Use([](const QString& path) {
            return WriteProfileValue(path, QStringLiteral("lastproj"), QStringLiteral("projectname"),
                                     QStringLiteral("\\P"));
        });
    }
    void brokenLink()
    {
        QFETCH(std::function<Status(const QString&)>, use);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("pargen.xml"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("share/gone")), link));
        QVERIFY(FileExists(link)); // there, so never taken for a missing document
        const Status status = use(link);
        QVERIFY(!status.ok());
        QVERIFY2(status.error().contains(QStringLiteral("share/gone")), qPrintable(status.error()));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("share"))));
        QVERIFY(QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
