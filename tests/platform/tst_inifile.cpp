#include "platform/IniFile.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

class TestIniFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray usual = "[lastproj]\r\nprojectname=\\Plant1\r\n";
        QTest::newRow("usual") << usual << "lastproj"
                               << "projectname"
                               << "\\Plant1";
        QTest::newRow("section other case") << usual << "LastProj"
                                            << "projectname"
                                            << "\\Plant1";
        QTest::newRow("key other case") << usual << "lastproj"
                                        << "PROJECTNAME"
                                        << "\\Plant1";
        QTest::newRow("missing section") << usual << "other"
                                         << "projectname"
                                         << "";
        QTest::newRow("missing key") << usual << "lastproj"
                                     << "name"
                                     << "";
        QTest::newRow("empty file") << QByteArray() << "lastproj"
                                    << "projectname"
                                    << "";
        QTest::newRow("empty value") << QByteArray("[lastproj]\nprojectname=\n") << "lastproj"
                                     << "projectname"
                                     << "";
        QTest::newRow("lf line ends, no final break") << QByteArray("[lastproj]\nprojectname=A") << "lastproj"
                                                      << "projectname"
                                                      << "A";
        QTest::newRow("blanks around names and value")
            << QByteArray("  [ lastproj ]  \n  projectname  =  \\A B  \n") << "lastproj"
            << "projectname"
            << "\\A B";
        QTest::newRow("quoted value") << QByteArray("[s]\nk=\" x \"\n") << "s"
                                      << "k"
                                      << " x ";
        QTest::newRow("single quote kept when unmatched") << QByteArray("[s]\nk='x\n") << "s"
                                                          << "k"
                                                          << "'x";
        QTest::newRow("key of another section") << QByteArray("[a]\nk=1\n[b]\nj=2\n") << "b"
                                                << "k"
                                                << "";
        QTest::newRow("first of duplicate sections") << QByteArray("[a]\nk=1\n[A]\nk=2\n") << "a"
                                                     << "k"
                                                     << "1";
        QTest::newRow("first of duplicate keys") << QByteArray("[a]\nk=1\nK=2\n") << "a"
                                                 << "k"
                                                 << "1";
        QTest::newRow("comment is not a key") << QByteArray("[a]\n;k=1\nk=2\n") << "a"
                                              << "k"
                                              << "2";
        QTest::newRow("equals in value") << QByteArray("[a]\nk=x=y\n") << "a"
                                         << "k"
                                         << "x=y";
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF[a]\nk=1\n") << "a"
                                   << "k"
                                   << "1";
        QTest::newRow("utf-8 value") << QByteArray("[a]\nk=\\Pl\xC3\xA4nt\n") << "a"
                                     << "k" << QString::fromUtf8("\\Pl\xC3\xA4nt");
        QTest::newRow("latin-1 value") << QByteArray("[a]\nk=\\Pl\xE4nt\n") << "a"
                                       << "k" << QString::fromUtf8("\\Pl\xC3\xA4nt");
        QTest::newRow("2047 characters at most")
            << QByteArray("[a]\nk=" + QByteArray(3000, 'v') + "\n") << "a"
            << "k" << QString(2047, QLatin1Char('v'));
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("test.ini"));
        writeFile(path, content);
        QCOMPARE(ReadProfileString(path, section, key), expected);
    }

    void readsMissingFileAsEmpty()
    {
        QTemporaryDir dir;
        QCOMPARE(ReadProfileString(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("a"),
                                   QStringLiteral("k")),
                 QString());
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before"); // "<missing>": no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray("<missing>") << "lastproj"
                                  << "projectname"
                                  << "\\Plant1" << QByteArray("[lastproj]\r\nprojectname=\\Plant1\r\n");
        QTest::newRow("empty value") << QByteArray("<missing>") << "lastproj"
                                     << "projectname"
                                     << "" << QByteArray("[lastproj]\r\nprojectname=\r\n");
        QTest::newRow("replaces value, keeps spelling of key and section")
            << QByteArray("[LastProj]\r\nProjectName=old\r\n") << "lastproj"
            << "projectname"
            << "new" << QByteArray("[LastProj]\r\nProjectName=new\r\n");
        QTest::newRow("keeps other sections, keys, comments and blank lines")
            << QByteArray("; "
                          "top\r\n[x]\r\na=1\r\n\r\n[lastproj]\r\nother=2\r\nprojectname=old\r\nmore=3\r\n[y]"
                          "\r\nb=4\r\n")
            << "lastproj"
            << "projectname"
            << "\\B"
            << QByteArray("; "
                          "top\r\n[x]\r\na=1\r\n\r\n[lastproj]\r\nother=2\r\nprojectname=\\B\r\nmore=3\r\n[y]"
                          "\r\nb=4\r\n");
        QTest::newRow("adds key at the end of its section, before blank lines")
            << QByteArray("[lastproj]\r\nother=2\r\n\r\n[y]\r\nb=4\r\n") << "lastproj"
            << "projectname"
            << "P" << QByteArray("[lastproj]\r\nother=2\r\nprojectname=P\r\n\r\n[y]\r\nb=4\r\n");
        QTest::newRow("adds section at the end")
            << QByteArray("[y]\r\nb=4\r\n") << "lastproj"
            << "projectname"
            << "P" << QByteArray("[y]\r\nb=4\r\n[lastproj]\r\nprojectname=P\r\n");
        QTest::newRow("keeps lf line ends and a missing final break")
            << QByteArray("[y]\nb=4") << "lastproj"
            << "projectname"
            << "P" << QByteArray("[y]\nb=4\n[lastproj]\nprojectname=P\n");
        QTest::newRow("keeps bytes of other lines that are not utf-8")
            << QByteArray("[y]\r\nb=\xE4\r\n") << "y"
            << "c"
            << "1" << QByteArray("[y]\r\nb=\xE4\r\nc=1\r\n");
        QTest::newRow("utf-8 value") << QByteArray("<missing>") << "a"
                                     << "k" << QString::fromUtf8("\xC3\xA4")
                                     << QByteArray("[a]\r\nk=\xC3\xA4\r\n");
    }
    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("test.ini"));
        if (before != "<missing>")
            writeFile(path, before);
        QVERIFY(WriteProfileString(path, section, key, value));
        QCOMPARE(readFile(path, "<missing>"), after);
        QCOMPARE(ReadProfileString(path, section, key), value);
    }

    void refusesValuesThatWouldBreakTheFile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line feed in value") << "a"
                                            << "k"
                                            << "x\ny";
        QTest::newRow("carriage return in value") << "a"
                                                  << "k"
                                                  << "x\ry";
        QTest::newRow("bracket in section") << "a]"
                                            << "k"
                                            << "x";
        QTest::newRow("equals in key") << "a"
                                       << "k="
                                       << "x";
        QTest::newRow("empty key") << "a"
                                   << ""
                                   << "x";
    }
    void refusesValuesThatWouldBreakTheFile()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("test.ini"));
        const QByteArray before("[a]\r\nk=keep\r\n");
        writeFile(path, before);
        QVERIFY(!WriteProfileString(path, section, key, value));
        QCOMPARE(readFile(path, "<missing>"), before);
    }

    void failsInAMissingFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gone/test.ini"));
        QVERIFY(!WriteProfileString(path, QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("x")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
    }

    void failsWhenThePathIsAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(
            !WriteProfileString(dir.path(), QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("x")));
        QCOMPARE(ReadProfileString(dir.path(), QStringLiteral("a"), QStringLiteral("k")), QString());
    }

    // A link that leads nowhere (a share not mounted) is refused naming its target, never written through.
    void brokenLinkIsRefused()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("test.ini"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("share/gone")), link));
        const Result<QString> read = ReadProfileValue(link, QStringLiteral("a"), QStringLiteral("k"));
        QVERIFY(!read.ok() && read.error().contains(QStringLiteral("share/gone")));
        const Status written =
            WriteProfileValue(link, QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("x"));
        QVERIFY2(!written.ok() && written.error().contains(QStringLiteral("share/gone")),
                 qPrintable(written.error()));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("share"))));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    void acceptsBackslashPaths()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\test.ini");
        QVERIFY(WriteProfileString(path, QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("test.ini"))));
        QCOMPARE(ReadProfileString(path, QStringLiteral("A"), QStringLiteral("K")), QStringLiteral("v"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
