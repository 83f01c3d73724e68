#include "catalogue/Disque.h"
#include "tests/support/DisquePlein.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDisque : public QObject {
    Q_OBJECT

private slots:
    // The file holds the whole new content or its former one, and nothing is left beside it.
    void ecrire_data() {
        QTest::addColumn<QByteArray>("avant");
        QTest::addColumn<int>("place"); // bytes a file may hold; 0: no limit
        QTest::addColumn<bool>("ok");
        QTest::newRow("room enough") << QByteArray("ancien") << 0 << true;
        QTest::newRow("disk full mid-write, file kept") << QByteArray("ancien") << 4 << false;
        QTest::newRow("disk full mid-write, no file") << QByteArray() << 4 << false;
    }
    void ecrire() {
        QFETCH(QByteArray, avant);
        QFETCH(int, place);
        QFETCH(bool, ok);
        QTemporaryDir d;
        const QString chemin = d.filePath(QStringLiteral("repere.txt"));
        if (!avant.isEmpty()) {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(avant) == avant.size());
        }
        const QByteArray nouveau("contenu nouveau");
        QString raison;
        bool fait = false;
        {
            const DisquePlein disque(place ? rlim_t(place) : RLIM_INFINITY);
            fait = Catalogue::Disque::ecrire(chemin, nouveau, &raison);
        }
        QCOMPARE(fait, ok);
        QCOMPARE(raison.isEmpty(), ok);
        QFile f(chemin);
        const QByteArray attendu = ok ? nouveau : avant;
        QCOMPARE(f.exists(), !attendu.isEmpty());
        if (f.exists()) {
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), attendu);
        }
        QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 attendu.isEmpty() ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestDisque)
#include "tst_disque.moc"
