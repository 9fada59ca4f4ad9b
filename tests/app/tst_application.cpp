#include "app/Application.h"
#include "support/Recorders.h"

#include <QIcon>
#include <QImage>
#include <QTest>

#include <stdexcept>

using namespace velmaro;

namespace {

// Throws from an event handler, as a failed action does when nothing catches its error.
class Thrower : public QObject
{
public:
    int handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        if (handled == 1)
            throw std::runtime_error("'12 ' is not a valid integer value");
        if (handled == 2)
            throw 42;
        return true;
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsUncaughtErrorsAndGoesOn()
    {
        auto* app = static_cast<VelmaroApplication*>(QCoreApplication::instance());
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Firmware Velmaro"));
        test::MessageRecorder messages;
        app->setMessageBoxes(&messages);
        Thrower thrower;
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(messages.errors, QStringList{QStringLiteral("'12 ' is not a valid integer value")});
        QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(messages.errors.size(), 2);
        QVERIFY(!messages.errors.at(1).isEmpty());
        // The next event is handled as usual.
        QVERIFY(QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(thrower.handled, 3);
        QCOMPARE(messages.messages, QStringList());
        app->setMessageBoxes(nullptr);
    }

    // The logo is drawn when a size is asked for: the size asked, opaque at its centre, clear at a corner.
    void windowIconDrawsEachSize_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("16") << 16 << 1.0;
        QTest::newRow("48") << 48 << 1.0;
        QTest::newRow("256") << 256 << 1.0;
        QTest::newRow("81 at ratio 2") << 81 << 2.0;
    }
    void windowIconDrawsEachSize()
    {
        QFETCH(int, side);
        QFETCH(qreal, ratio);
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(QSize(side, side), ratio).toImage();
        QCOMPARE(image.size(), QSize(side, side) * ratio);
        QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
};

int main(int argc, char** argv)
{
    VelmaroApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
