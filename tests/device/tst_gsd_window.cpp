#include "app/AppWindows.h"
#include "app/UVelmaroFirmWare.h"
#include "device/GsdFile.h"
#include "support/Recorders.h"
#include "tst_image_support.h"

#include <QPushButton>
#include <QTest>

using namespace velmaro;
using test::PargenXml;
using test::ReadBytes;
using test::WriteBytes;

// "GSD File": the save dialog, then the generator into the chosen file.
class TestGsdFileButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gsdFile_data()
    {
        QTest::addColumn<QByteArray>("pargen");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::addColumn<QString>("error"); // start of the one error box; null: none
        const QByteArray old = "previous file";
        QTest::newRow("writes the chosen file") << PargenXml({{"Profi_NB_IN", "10"}, {"Profi_NB_OUT", "4"}})
                                                << false << GsdText(GsdSizes{10, 4}) << QString();
        QTest::newRow("cancel writes nothing") << PargenXml() << true << old << QString();
        QTest::newRow("size out of range") << PargenXml({{"Profi_NB_IN", "1000"}}) << false << old
                                           << QStringLiteral("The value \"1000\" of Profi_NB_IN is outside");
        QTest::newRow("not well-formed") << QByteArray("<Par_Gen>") << false << old << QStringLiteral("");
    }
    void gsdFile()
    {
        QFETCH(QByteArray, pargen);
        QFETCH(bool, cancel);
        QFETCH(QByteArray, fileAfter);
        QFETCH(QString, error);
        QTemporaryDir app, project;
        test::Recorders r;
        AppWindows windows(r.context, app.path());
        r.paths.ProjectDir = project.path();
        QVERIFY(WriteBytes(project.path() + "/pargen.xml", pargen));
        const QString gsd = project.path() + "/device.gsd";
        QVERIFY(WriteBytes(gsd, "previous file"));
        r.dialogs.fileAnswers.push_back(cancel ? std::nullopt : std::optional<QString>(gsd));

        windows.FVelmaroFirmWare->btn_Gds->click();

        QCOMPARE(r.dialogs.fileRequests.size(), 1);
        QCOMPARE(r.dialogs.fileRequests[0].initialDir, project.path());
        QCOMPARE(r.dialogs.fileRequests[0].filter,
                 QStringLiteral("Generic Station Description (*.gsd)|*.gsd"));
        QCOMPARE(ReadBytes(gsd), fileAfter);
        QCOMPARE(r.messages.errors.size(), error.isNull() ? 0 : 1);
        if (!error.isNull())
            QVERIFY2(r.messages.errors[0].startsWith(error), qPrintable(r.messages.errors[0]));
        QVERIFY(r.messages.messages.isEmpty());
        QVERIFY(r.modal.opened.isEmpty());
    }
};

QTEST_MAIN(TestGsdFileButton)
#include "tst_gsd_window.moc"
