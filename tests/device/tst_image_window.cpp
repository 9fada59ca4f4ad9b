#include "app/AppWindows.h"
#include "app/UVelmaroFirmWare.h"
#include "support/Recorders.h"
#include "tst_image_support.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace velmaro;
using test::Golden;
using test::PargenXml;
using test::ReadBytes;
using test::WriteBytes;
using Changes = QMap<QString, std::optional<QString>>;

// "Update Device": build, write, then the update dialog.
class TestUpdateDeviceButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updateDevice_data()
    {
        QTest::addColumn<QByteArray>("pargen"); // empty: no document
        QTest::addColumn<bool>("withBin");
        QTest::addColumn<QByteArray>("bankAfter");
        QTest::addColumn<QString>("error"); // start of the one error box, empty: none
        QTest::addColumn<bool>("dialogOpens");
        const QByteArray old = "previous image";
        QTest::newRow("editor defaults")
            << Golden("pargen_defaults.xml") << true << Golden("bank_defaults.bin") << QString() << true;
        QTest::newRow("no pargen.xml")
            << QByteArray() << true << QByteArray::fromHex("04000000") << QString() << true;
        QTest::newRow("Profi_ID missing")
            << PargenXml({{"Profi_ID", std::nullopt}}) << true << old
            << QStringLiteral("The element \"Profi_ID\" is missing in \"") << false;
        QTest::newRow("Ser_Baud not an integer")
            << PargenXml({{"Ser_Baud", "fast"}}) << true << old
            << QStringLiteral("'fast' is not a valid integer value") << false;
        QTest::newRow("not well-formed")
            << QByteArray("<Par_Gen><Ser_Type>") << true << old << QStringLiteral("") << false;
        QTest::newRow("no bin folder: reported, dialog still opens")
            << Golden("pargen_defaults.xml") << false << QByteArray()
            << QStringLiteral("Cannot create file \"") << true;
    }
    void updateDevice()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(bool, withBin);
        QFETCH(QByteArray, bankAfter);
        QFETCH(QString, error);
        QFETCH(bool, dialogOpens);
        QTemporaryDir app, project;
        test::Recorders r;
        AppWindows windows(r.context, app.path());
        r.paths.ProjectDir = project.path();
        if (!pargen.isEmpty())
            QVERIFY(WriteBytes(project.path() + "/pargen.xml", pargen));
        const QString bank = project.path() + "/bin/bank.bin";
        if (withBin) {
            QVERIFY(QDir(project.path()).mkdir("bin"));
            QVERIFY(WriteBytes(bank, "previous image"));
        }

        windows.FVelmaroFirmWare->CreateBin->click();

        QCOMPARE(ReadBytes(bank).toHex(' '), bankAfter.toHex(' '));
        const bool failed = !error.isNull();
        QCOMPARE(r.messages.errors.size(), failed ? 1 : 0);
        if (failed)
            QVERIFY2(r.messages.errors.first().startsWith(error), qPrintable(r.messages.errors.first()));
        QVERIFY(r.messages.messages.isEmpty());
        QCOMPARE(r.modal.opened, dialogOpens ? QStringList{"FBootSer"} : QStringList{});
    }
    void updateDeviceWithoutProjectTouchesNoFile()
    {
        QTemporaryDir app;
        test::Recorders r;
        AppWindows windows(r.context, app.path());
        r.paths.ProjectDir.clear();
        windows.FVelmaroFirmWare->CreateBin->click();
        // Stops there, as the editor buttons do: the updater would be handed the path "\bin\".
        QCOMPARE(r.messages.all, QStringList{"Project not valid"});
        QVERIFY(r.modal.opened.isEmpty());
    }
};

QTEST_MAIN(TestUpdateDeviceButton)
#include "tst_image_window.moc"
