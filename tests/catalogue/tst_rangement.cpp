#include "catalogue/Rangement.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cstring>

namespace {

struct Cle {
    QByteArray octets;
    qint64 rowid;
};

// What the sort must give: byte order (a key before its extensions), equal keys by rowid.
QList<qint64> attendu(QList<Cle> cles, bool decroissant) {
    std::stable_sort(cles.begin(), cles.end(), [decroissant](const Cle& a, const Cle& b) {
        const int c = a.octets.compare(b.octets);
        if (c != 0)
            return decroissant ? c > 0 : c < 0;
        return a.rowid < b.rowid;
    });
    QList<qint64> r;
    for (const Cle& c : cles)
        r << c.rowid;
    return r;
}

QList<qint64> trie(const QList<Cle>& cles, bool decroissant) {
    QVector<Catalogue::CleLigne> lignes;
    QByteArray tampon;
    for (const Cle& c : cles) {
        Catalogue::CleLigne l;
        l.debut = quint32(tampon.size());
        l.longueur = quint32(c.octets.size());
        l.rowid = c.rowid;
        tampon += c.octets;
        lignes << l;
    }
    Catalogue::trierParCles(lignes, tampon, decroissant);
    QList<qint64> r;
    for (const Catalogue::CleLigne& l : lignes)
        r << l.rowid;
    return r;
}

} // namespace

class TestRangement : public QObject {
    Q_OBJECT

private slots:
    // Random keys over a few bytes, so that many share their first eight bytes, differ only
    // past them, end inside them, repeat, or hold zero and 0xFF bytes; rowids out of order.
    void commeUnTriParComparaison_data() {
        QTest::addColumn<int>("nombre");
        QTest::addColumn<int>("longueurMax"); // -k: k keys only, each many times
        QTest::addColumn<int>("alphabet");    // letters from 'a'; 256: any byte; -k: bytes 0 to k-1
        QTest::addColumn<bool>("decroissant");
        for (const bool d : {false, true}) {
            const char* sens = d ? " décroissant" : "";
            QTest::newRow(qPrintable(QString("vide%1").arg(sens))) << 0 << 4 << 4 << d;
            QTest::newRow(qPrintable(QString("une clé%1").arg(sens))) << 1 << 4 << 4 << d;
            QTest::newRow(qPrintable(QString("courtes%1").arg(sens))) << 3000 << 6 << 3 << d;
            QTest::newRow(qPrintable(QString("longues, peu de lettres%1").arg(sens))) << 3000 << 40 << 2 << d;
            QTest::newRow(qPrintable(QString("tous les octets%1").arg(sens))) << 3000 << 20 << 256 << d;
            QTest::newRow(qPrintable(QString("toutes égales%1").arg(sens))) << 500 << 0 << 1 << d;
            // Keys that differ only by zero bytes at their ends.
            QTest::newRow(qPrintable(QString("zéros en fin%1").arg(sens))) << 3000 << 12 << -2 << d;
            // Few long keys, each many times over (one title recorded again and again).
            QTest::newRow(qPrintable(QString("mêmes clés%1").arg(sens))) << 3000 << -5 << 256 << d;
        }
    }
    void commeUnTriParComparaison() {
        QFETCH(int, nombre);
        QFETCH(int, longueurMax);
        QFETCH(int, alphabet);
        QFETCH(bool, decroissant);
        QRandomGenerator g(20261206);
        QList<Cle> cles;
        for (int i = 0; i < nombre; ++i) {
            if (longueurMax < 0) { // -k: one of k keys of 30 bytes
                QRandomGenerator choix(quint32(g.bounded(-longueurMax)));
                QByteArray o(9, 'a');
                while (o.size() < 30)
                    o += char(choix.bounded(256));
                cles << Cle{o, qint64(g.bounded(1000000))};
                continue;
            }
            QByteArray o;
            const int n = longueurMax ? int(g.bounded(longueurMax + 1)) : 0;
            // A common head of nine bytes for half the keys: their prefixes tie.
            if (g.bounded(2) && n > 9)
                o = QByteArray(9, 'a');
            while (o.size() < n)
                o += char(alphabet == 256 ? g.bounded(256)
                          : alphabet < 0  ? g.bounded(-alphabet)
                                          : 'a' + g.bounded(alphabet));
            cles << Cle{o, qint64(g.bounded(1000000))};
        }
        QCOMPARE(trie(cles, decroissant), attendu(cles, decroissant));
    }

    // The grid orders by these keys where it ordered by QCollator's: the same order.
    void commeQCollator_data() {
        QTest::addColumn<bool>("casse");
        QTest::newRow("sans la casse") << false;
        QTest::newRow("avec la casse") << true;
    }
    void commeQCollator() {
        QFETCH(bool, casse);
        const QStringList textes{
            "Zorro",     "zorro", "Été",   "ete",    "été",   "alien", "Alien", "K7 10", "K7 9",
            "K7 100",    "k7 2",  "Œil",   "Oeuvre", "Ordet", "",      " ",     "L'Été", "Le Retour",
            "Le-Retour", "1985",  "1985 ", "02",     "2",     "Ça",    "ça",    "Cela",  "façade",
            "Facade",    "Ǆ",     "naïf",  "naif",   "Ñandú", "Æon",   "aeon",  "日本",  "🙂 film"};
        QCollator c(QLocale(QLocale::French, QLocale::France));
        c.setNumericMode(true);
        c.setCaseSensitivity(casse ? Qt::CaseSensitive : Qt::CaseInsensitive);
        for (const QString& a : textes) {
            for (const QString& b : textes) {
                QByteArray ka, kb;
                Catalogue::ajouterCleFrancaise(a, casse, &ka);
                Catalogue::ajouterCleFrancaise(b, casse, &kb);
                const int attendu = c.sortKey(a).compare(c.sortKey(b));
                const int obtenu = ka.compare(kb);
                QVERIFY2((attendu > 0) == (obtenu > 0) && (attendu < 0) == (obtenu < 0),
                         qPrintable(a + " / " + b));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRangement)
#include "tst_rangement.moc"
