// Kills a process at random moments while it saves each kind of document and output over and over;
// every time, each file must be exactly the old version or exactly the new one.

#include "HardeningSupport.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace velmaro::test;

class TestCrashSafety : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedSavesLeaveOldOrNew();
};

void TestCrashSafety::killedSavesLeaveOldOrNew()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString helper = QStringLiteral(VELMARO_SAVE_HELPER);
    QCOMPARE(QProcess::execute(helper, {QStringLiteral("reference"), tmp.path()}), 0);
    const Snapshot a = TakeSnapshot(tmp.path() + QStringLiteral("/a"));
    const Snapshot b = TakeSnapshot(tmp.path() + QStringLiteral("/b"));
    QCOMPARE(a.size(), 6);
    QCOMPARE(Differences(a, b).size(), 6); // every output differs between the versions

    const QString live = tmp.path() + QStringLiteral("/live");
    QDir().mkpath(live + QStringLiteral("/bin"));
    for (auto it = a.cbegin(); it != a.cend(); ++it)
        QVERIFY(WriteBytes(live + QLatin1Char('/') + it.key(), it.value()));

    // Seeded from the clock; a failure prints the seed so it can be repeated.
    const quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    constexpr int trials = 200;
    int interrupted = 0; // kills that landed between the start and the end of a save
    int sawNew = 0;
    int done = 0;
    QMap<QString, int> perSave; // interrupted saves by file
    QDeadlineTimer budget(60000);
    for (int trial = 0; trial < trials && !budget.hasExpired(); ++trial) {
        QProcess process;
        process.start(helper, {QStringLiteral("loop"), live});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForReadyRead(10000));
        QThread::usleep(random.bounded(1, 25000));
        process.kill(); // SIGKILL
        QVERIFY(process.waitForFinished(10000));
        QVERIFY2(process.exitStatus() == QProcess::CrashExit,
                 qPrintable(QStringLiteral("the helper stopped by itself: ")
                            + QString::fromLocal8Bit(process.readAllStandardError())));

        // The helper names each save before it starts and says "ok" when it is done.
        const QList<QByteArray> progress = process.readAllStandardOutput().trimmed().split('\n');
        const bool inside = progress.size() > 1 && progress.last() != "ok";
        if (inside)
            ++perSave[QString::fromUtf8(progress.last())];
        const Snapshot now = TakeSnapshot(live);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (!a.contains(it.key())) {
                QFile::remove(live + QLatin1Char('/') + it.key()); // a temporary file of an interrupted save
                continue;
            }
            const bool isOld = it.value() == a.value(it.key());
            const bool isNew = it.value() == b.value(it.key());
            QVERIFY2(isOld || isNew, qPrintable(QStringLiteral("trial %1 (seed %2): %3 is damaged (%4 bytes)")
                                                    .arg(trial)
                                                    .arg(seed)
                                                    .arg(it.key())
                                                    .arg(it.value().size())));
            sawNew += isNew ? 1 : 0;
        }
        for (auto it = a.cbegin(); it != a.cend(); ++it)
            QVERIFY2(now.contains(it.key()), qPrintable(it.key() + QStringLiteral(" vanished")));
        interrupted += inside ? 1 : 0;
        ++done;
    }
    qInfo("%d kills, %d of them inside a save; %d files found in the new version", done, interrupted, sawNew);
    // The kills did land inside saves, and the saves did progress: the test proved something.
    QVERIFY(done >= 100);
    QStringList tally;
    for (auto it = perSave.cbegin(); it != perSave.cend(); ++it)
        tally << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    qInfo("interrupted saves: %s", qPrintable(tally.join(QStringLiteral(", "))));
    QVERIFY(interrupted > 0);
    QVERIFY(sawNew > 0);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
