#include "canopen/UInfoPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "mapping/USetVar.h"
#include "platform/FileSystem.h"
#include "settings/Upargen.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <sys/stat.h>

using namespace velmaro;

namespace {

using MakeEditor = std::function<QDialog*(AppContext&)>;
using DocumentOf = std::function<QString(const ProjectPaths&)>;

template <typename T>
MakeEditor make()
{
    return [](AppContext& c) { return new T(c); };
}

// Each editor with its own document and the first line of its message for a document it cannot read
// (empty: the error box gives the reason alone).
void addEditorRows()
{
    QTest::addColumn<MakeEditor>("editor");
    QTest::addColumn<DocumentOf>("document");
    QTest::addColumn<QString>("readError");
    QTest::newRow("SET COMMUNICATION")
        << make<TFpargen>() << DocumentOf([](const ProjectPaths& p) { return p.PargenXmlPath; }) << QString();
    QTest::newRow("mapping editor") << make<TFSetVar>()
                                    << DocumentOf([](const ProjectPaths& p) { return p.SdoXmlPath; })
                                    << QString();
    QTest::newRow("PDO translation") << make<TFpdo>()
                                     << DocumentOf([](const ProjectPaths& p) { return p.RpdoDefXmlPath; })
                                     << "Error in reading file XML";
    QTest::newRow("stored PDO") << make<TFInfopdo>()
                                << DocumentOf([](const ProjectPaths& p) { return p.SdoPdoXmlPath; })
                                << "Error in reading file SDOPDO XML";
    QTest::newRow("EMCY translation")
        << make<TFemcy>() << DocumentOf([](const ProjectPaths& p) { return p.EmcyDefXmlPath; })
        << "Error in reading file XML";
    QTest::newRow("EMCY word") << make<TFWemcy>()
                               << DocumentOf([](const ProjectPaths& p) { return p.EmcyWordXmlPath; })
                               << "Error in reading file XML";
}

QPushButton* okButton(QDialog& w)
{
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == QLatin1String("OK"))
            return b;
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(MakeEditor)
Q_DECLARE_METATYPE(DocumentOf)

class TestEditorDocuments : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusalNamesFileAndReason_data() { addEditorRows(); }
    void refusalNamesFileAndReason()
    {
        QFETCH(MakeEditor, editor);
        QFETCH(DocumentOf, document);
        QFETCH(QString, readError);
        for (const char* kind : {"folder", "named pipe", "link to /dev/zero"}) {
            test::WindowFixture f;
            test::Recorders& r = f.r;
            const QString native = NativePath(document(r.paths));
            const QString k = QLatin1String(kind);
            if (k == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(native));
            else if (k == QLatin1String("named pipe"))
                QCOMPARE(::mkfifo(QFile::encodeName(native).constData(), 0644), 0);
            else
                QVERIFY(QFile::link(QStringLiteral("/dev/zero"), native));
            const std::unique_ptr<QDialog> w(editor(r.context));
            w->show();
            // One box names the document and says why; a table editor keeps its own text first.
            QStringList naming;
            for (const QString& box : r.messages.messages + r.messages.errors) {
                if (box.contains(DisplayPath(document(r.paths)))
                    && box.contains(QLatin1String("not a regular file")))
                    naming << box;
            }
            QVERIFY2(naming.size() == 1, qPrintable(kind + (": " + r.messages.all.join(" | "))));
            if (!readError.isEmpty())
                QCOMPARE(naming.first().section(QLatin1Char('\n'), 0, 0), readError);
        }
    }

    void changeOnDiskIsNotOverwrittenUnasked_data() { addEditorRows(); }
    void changeOnDiskIsNotOverwrittenUnasked()
    {
        QFETCH(MakeEditor, editor);
        QFETCH(DocumentOf, document);
        test::WindowFixture f;
        test::Recorders& r = f.r;
        const QString path = document(r.paths);
        const QString file = NativePath(path);
        const std::unique_ptr<QDialog> w(editor(r.context));
        const QString question =
            QStringLiteral("\"%1\" was changed by another program since this window opened. "
                           "Replace it with what this window shows?")
                .arg(DisplayPath(path));

        // Created by another program while the window was open.
        w->show();
        test::writeFile(file, "<elsewhere/>");
        okButton(*w)->click();
        QCOMPARE(r.messages.questions, QStringList{question});
        QCOMPARE(test::readFile(file), QByteArray("<elsewhere/>"));
        QVERIFY(w->isVisible());
        r.messages.answers = {true};
        okButton(*w)->click();
        QVERIFY(!w->isVisible());
        const QByteArray saved = test::readFile(file);
        QVERIFY(!saved.isEmpty() && saved != QByteArray("<elsewhere/>"));

        // Changed by a text editor: No keeps the window open and the file as it is.
        r.messages.clear();
        w->show();
        const QByteArray edited = saved + "<!-- edited elsewhere -->\n";
        test::writeFile(file, edited);
        okButton(*w)->click();
        QCOMPARE(r.messages.questions, QStringList{question});
        QCOMPARE(test::readFile(file), edited);
        QVERIFY(w->isVisible());
        w->hide();

        // Written again with the same bytes, or removed: nothing to lose, no question.
        for (const bool remove : {false, true}) {
            r.messages.clear();
            w->show();
            if (remove)
                QVERIFY(QFile::remove(file));
            else
                test::writeFile(file, test::readFile(file));
            okButton(*w)->click();
            QVERIFY2(r.messages.questions.isEmpty(), qPrintable(r.messages.all.join(" | ")));
            QVERIFY(!w->isVisible());
        }
    }
};

QTEST_MAIN(TestEditorDocuments)
#include "tst_editordocuments.moc"
