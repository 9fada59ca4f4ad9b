#include "widgets/WindowStyle.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

using namespace velmaro;

namespace {

// The row's items as button names, "|" for the stretch.
QStringList itemsOf(QHBoxLayout* row)
{
    QStringList items;
    for (int i = 0; i < row->count(); ++i) {
        QLayoutItem* item = row->itemAt(i);
        items << (item->widget() ? item->widget()->objectName() : QStringLiteral("|"));
    }
    return items;
}

} // namespace

class TestWindowStyle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonIsNamedAndNotPressedByEnter()
    {
        QWidget parent;
        QPushButton* b = MakeButton(QStringLiteral("bitbtn1"), QStringLiteral("OK"), &parent);
        QCOMPARE(b->objectName(), QStringLiteral("bitbtn1"));
        QCOMPARE(b->text(), QStringLiteral("OK"));
        QCOMPARE(b->parentWidget(), &parent);
        QVERIFY(!b->autoDefault());
        QVERIFY(!b->isDefault());
    }

    // Enter on the focused button presses it (keyboard users reach OK with Tab); Enter typed in a field of
    // the same dialog presses no button.
    void enterPressesOnlyTheFocusedButton_data()
    {
        QTest::addColumn<bool>("onButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::newRow("Return on the button") << true << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter on the button") << true << int(Qt::Key_Enter) << 1;
        QTest::newRow("Return in a field") << false << int(Qt::Key_Return) << 0;
    }
    void enterPressesOnlyTheFocusedButton()
    {
        QFETCH(bool, onButton);
        QFETCH(int, key);
        QFETCH(int, presses);
        QDialog dialog;
        auto* field = new QLineEdit(&dialog);
        QPushButton* ok = MakeButton(QStringLiteral("bitbtn1"), QStringLiteral("OK"), &dialog);
        int pressed = 0;
        connect(ok, &QPushButton::clicked, [&pressed] { ++pressed; });
        QTest::keyClick(onButton ? static_cast<QWidget*>(ok) : field, Qt::Key(key));
        QCOMPARE(pressed, presses);
    }

    void buttonRowKeepsOrderAroundTheStretch_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("two each side") << 2 << 2 << QStringList{"b0", "b1", "|", "b2", "b3"};
        QTest::newRow("all at the start") << 3 << 0 << QStringList{"b0", "b1", "b2", "|"};
        QTest::newRow("all at the end") << 0 << 2 << QStringList{"|", "b0", "b1"};
        QTest::newRow("none") << 0 << 0 << QStringList{"|"};
    }
    void buttonRowKeepsOrderAroundTheStretch()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(QStringList, items);
        QWidget parent;
        QList<QWidget*> buttons;
        for (int i = 0; i < left + right; ++i)
            buttons << MakeButton(QStringLiteral("b%1").arg(i), QStringLiteral("B"), &parent);
        QHBoxLayout* row = nullptr;
        switch (left * 10 + right) {
        case 22: row = ButtonRow({buttons[0], buttons[1]}, {buttons[2], buttons[3]}); break;
        case 30: row = ButtonRow({buttons[0], buttons[1], buttons[2]}, {}); break;
        case 2: row = ButtonRow({}, {buttons[0], buttons[1]}); break;
        default: row = ButtonRow({}, {});
        }
        parent.setLayout(row);
        QCOMPARE(itemsOf(row), items);
    }
};

QTEST_MAIN(TestWindowStyle)
#include "tst_windowstyle.moc"
