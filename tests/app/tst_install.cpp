// Installs the build into a temporary prefix and checks what a desktop and a package see there.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.start(QStringLiteral(VELMARO_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(VELMARO_BUILD_DIR),
                       QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    }

    void installedFiles()
    {
        QStringList files;
        QDirIterator it(m_prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_prefix.path()).relativeFilePath(it.next());
        files.sort();
        QStringList expected{
            "bin/velmaro",
            "bin/velmaro-cli",
            "share/applications/example.quorvane.Velmaro.desktop",
            "share/bash-completion/completions/velmaro-cli",
            "share/doc/velmaro/changelog.gz",
            "share/doc/velmaro/copyright",
            "share/icons/hicolor/scalable/apps/example.quorvane.Velmaro.svg",
            "share/man/man1/velmaro-cli.1.gz",
            "share/man/man1/velmaro.1.gz",
            "share/metainfo/example.quorvane.Velmaro.metainfo.xml",
        };
        for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
            expected
                << QStringLiteral("share/icons/hicolor/%1x%1/apps/example.quorvane.Velmaro.png").arg(size);
        expected.sort();
        QCOMPARE(files, expected);
    }

    void validates_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{"share/applications/example.quorvane.Velmaro.desktop"};
        QTest::newRow("AppStream metadata")
            << "appstreamcli"
            << QStringList{"validate", "--no-net", "share/metainfo/example.quorvane.Velmaro.metainfo.xml"};
    }
    void validates()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed (scripts/deps.sh test installs it).")));
        QProcess p;
        p.setWorkingDirectory(m_prefix.path());
        p.start(program, arguments);
        QVERIFY(p.waitForFinished(60000));
        const QByteArray output = p.readAllStandardOutput() + p.readAllStandardError();
        QVERIFY2(p.exitCode() == 0, output.constData());
    }

    // --help and --version answer without any display.
    void informationWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("help") << "--help"
                              << "--version";
        QTest::newRow("version") << "--version"
                                 << "velmaro " VELMARO_VERSION_TEXT;
    }
    void informationWithoutDisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        p.setProcessEnvironment(env);
        p.start(m_prefix.filePath(QStringLiteral("bin/velmaro")), {option});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains(expected));
    }

    // Without any display the window program says so in one line and fails, instead of Qt's abort.
    void windowWithoutDisplay()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        p.setProcessEnvironment(env);
        p.start(m_prefix.filePath(QStringLiteral("bin/velmaro")), {});
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY2(err.contains(QStringLiteral("no display")), qPrintable(err));
    }

private:
    QTemporaryDir m_prefix;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
