#include "catalogue/Disque.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Files may grow to so many bytes while it lives, as on a disk that fills up.
class DisquePlein {
public:
    explicit DisquePlein(rlim_t octets) {
        getrlimit(RLIMIT_FSIZE, &m_avant);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limite = m_avant;
        limite.rlim_cur = octets;
        setrlimit(RLIMIT_FSIZE, &limite);
    }
    ~DisquePlein() {
        setrlimit(RLIMIT_FSIZE, &m_avant);
        std::signal(SIGXFSZ, m_signal);
    }
    DisquePlein(const DisquePlein&) = delete;
    DisquePlein& operator=(const DisquePlein&) = delete;

private:
    rlimit m_avant{};
    void (*m_signal)(int) = nullptr;
};

} // namespace

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
