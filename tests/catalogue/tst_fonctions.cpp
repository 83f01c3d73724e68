// The catalogue's functions on texts: fields of a record, clock times, the tape's layout record, the sort
// keys, and the film file's lines.

#include "catalogue/FichierFilm.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "catalogue/Rangement.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace Fonctions;
using namespace Outils;

namespace {

const QString kDeuxFilms = QStringLiteral("00:10:00/FILM00:20:00A/00:05:00/FILM00:40:00B/00:15:00");
const QString kEgales = QStringLiteral("00:45:00/FILM01:00:00A/00:45:00/FILM00:10:00B/00:20:00");

// A function called by its short name on texts; numbers and truth come back as text.
QString appeler(const QString& f, const QStringList& a) {
    const auto n = [&a](int i) { return a[i].toInt(); };
    const QHash<QString, std::function<QString()>> fonctions{
        {"extrait", [&] { return ExtraitElement(a[0], n(1), a[2]); }},
        {"heure", [&] { return SecondesEnHeure(n(0)); }},
        {"secondes", [&] { return QString::number(HeureEnSecondes(a[0])); }},
        {"clair", [&] { return DureeEnClair(n(0)); }},
        {"ecart", [&] { return QString::number(EcartSecondes(a[0], a[1])); }},
        {"format", [&] { return VerifieFormat(a[0], a[1]) ? "oui" : "non"; }},
        {"replie", [&] { return Replie(a[0]); }},
        {"champs", [&] { return Champs(a[0]).join('|'); }},
        {"plage", [&] { return CherchePlageLibre(a[0], a[1]); }},
        {"insere", [&] { return InsereFilm(a[0], a[1], a[2], a[3]); }},
        {"auchamp",
         [&] {
             return InsereFilmAuChamp(kEgales, n(0), "00:30:00", "T") + " @" +
                    QString::number(PositionAuChamp(kEgales, n(0)));
         }},
        {"position", [&] { return QString::number(CherchePositionFilm(a[0], a[1])); }},
        {"retire", [&] { return RetireFilm(a[0], n(1)); }},
        {"duree", [&] { return FichierFilm::duree(a[0]); }},
        {"acteurs", [&] { return FichierFilm::acteurs(a[0]); }},
        {"affiche", [&] { // a[1]: a poster already beside the film
             QTemporaryDir d;
             if (!a[1].isEmpty() && !QFile(d.filePath(a[1])).open(QIODevice::WriteOnly))
                 return QString("?");
             return QFileInfo(FichierFilm::afficheVoisine(d.filePath(a[0]))).fileName();
         }}};
    return fonctions.contains(f) ? fonctions[f]() : QStringLiteral("fonction inconnue");
}

// Checks the rules every record keeps against the films expected in tape order; returns what is wrong, or ""
// when all hold.
QString violation(const QString& status, int capacite, const QStringList& titres) {
    const QStringList champs = Champs(status);
    const QList<Etendue> etendues = Etendues(status);
    int total = 0, films = 0;
    bool precedentLibre = false;
    for (int i = 0; i < champs.size(); ++i) {
        const QString& champ = champs[i];
        const bool libre = !EstFilm(champ);
        // Each field starts where the one before ends, the tape's start first.
        if (etendues.value(i).debut != total || etendues.value(i).fin - total != LongueurChamp(champ))
            return QStringLiteral("étendue fausse: ") + champ;
        total += HeureEnSecondes(libre ? champ : champ.mid(4, 8));
        if (libre && (precedentLibre || (champ == "00:00:00" && status != champ)))
            return QStringLiteral("plages libres voisines, ou vide laissée");
        // The title starts at character 13 only if the length takes exactly 8 characters.
        if (!libre && (!VerifieFormat(champ.mid(4, 8), "##:##:##") || ++films > titres.size() ||
                       champ.mid(12) != TitreDansStatus(titres[films - 1])))
            return QStringLiteral("film inattendu: ") + champ;
        precedentLibre = libre;
    }
    if (champs.join('/') != status || total != capacite || films != titres.size() ||
        etendues.size() != champs.size())
        return QStringLiteral("champ vide, longueurs fausses ou film manquant");
    return QString();
}

struct Cle {
    QByteArray octets;
    qint64 rowid;
};

} // namespace

class TestFonctions : public QObject {
    Q_OBJECT

private slots:
    // A case a text: the function, its arguments separated by "|", and what it gives after " → "; $E and $D
    // stand for the records kEgales and kDeuxFilms. Folding splits accents already apart from their letters,
    // decomposes beyond Latin-1 in several steps, and keeps what lies outside the basic plane. A film file's
    // unrecognised duration goes in as written, for the check to refuse.
    void appels_data() {
        QTest::addColumn<QString>("fonction");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("attendu");
        for (const char* ligne :
             {"extrait A/B/C|2|/ → B",
              "extrait A/B/|3|/ → ",
              "extrait A/B|-2147483648|/ → ",
              "extrait un; deux; trois|2|;  → deux",
              "heure 3725 → 01:02:05",
              "heure -2147483648 → -596523:14:08",
              "secondes 1:5:3 → 3903",
              "secondes 00:1.5:00.6 → 91",
              "secondes 1:30 → 5400",
              "secondes 99999999999999999999:00:00 → 2147483647",
              "secondes ١٢:00:00 → 0",
              "clair 3900 → 1 h 05",
              "clair 90 → 1 min 30 s",
              "clair -60 → 0 s",
              "ecart 23:00:00|01:00:00 → 7200",
              "ecart 01:30:00|01:30:00 → 0",
              "ecart -9999999:00:00|9999999:00:00 → 2147483647",
              "format 1a:30:00|##:##:## → non",
              "format ١2:30:00|##:##:## → non",
              "format 12h30|##?## → oui",
              "format 60|59 → non",
              "format 1|@ → non",
              "replie L'Été meurtrier → l'ete meurtrier",
              "replie Cœur ŒUVRE Æon → coeur oeuvre aeon",
              "replie Ǖ Ὰ Ё → u α е",
              "replie ﬁn Ｘ 😀 → fin x 😀",
              "champs 01:00:00//FILM01:00:00A → 01:00:00",
              "plage 01:30:00|02:00:00/FILM01:00:00A/01:30:00 → 01:30:00",
              "plage 01:30:01|01:30:00 → ",
              "plage 00:10:00|00:50:00/FILM01:00:00A/00:20:00 → 00:20:00",
              "insere FILM01:30:00T/01:30:00|01:30:00|01:30:00|A → FILM01:30:00T/FILM01:30:00A",
              "insere $E|00:45:00|00:30:00|T → "
              "FILM00:30:00T/00:15:00/FILM01:00:00A/00:45:00/FILM00:10:00B/00:20:00",
              "insere 02:00:00|02:00:00|1:5:3|T → FILM01:05:03T/00:54:57",
              "insere 02:00:00|02:00:00|01:00:00|AC/DC → FILM01:00:00AC∕DC/01:00:00",
              "insere $D|00:05:00|00:10:00|T → $D",
              "insere 01:00:00|01:00:00|-00:10:00|T → 01:00:00",
              "insere 02:00:00//x|02:00:00|01:00:00|T → FILM01:00:00T/01:00:00//x",
              "auchamp 3 → 00:45:00/FILM01:00:00A/FILM00:30:00T/00:15:00/FILM00:10:00B/00:20:00 @2",
              "auchamp 5 → $E @3",
              "auchamp -2147483648 → $E @1",
              "position 00:10:00/FILM00:20:00ALIEN/00:05:00/FILM00:40:00L'été meurtrier|Alien → 1",
              "position 00:10:00/FILM00:20:00ALIEN/00:05:00/FILM00:40:00L'été meurtrier|L'ÉTÉ MEURTRIER → "
              "2",
              "position FILM00:10:00A/FILM00:10:00| → 2",
              "position FILMxx/FILM00:10:00| → 2",
              "retire $D|2 → 00:10:00/FILM00:20:00A/01:00:00",
              "retire $D|1 → 00:35:00/FILM00:40:00B/00:15:00",
              "retire FILM01:00:00A/FILM01:00:00B|1 → 01:00:00/FILM01:00:00B",
              "retire FILM00:10:00A/FILM00:00:00B/FILM00:10:00C|2 → FILM00:10:00A/FILM00:10:00C",
              "retire FILM00:00:00B|1 → 00:00:00",
              "duree 01h45 → 01:45:00",
              "duree 1h45 → 01:45:00",
              "duree 01145 → 01145",
              "duree 01:45  → 01:45 ",
              "acteurs jean RENO;natalie portman → Jean Reno, Natalie Portman",
              "acteurs  paul  \t marchand ; ;bourvil; → Paul Marchand, Bourvil",
              "affiche La.Haine.film| → La.Haine.jpg",
              "affiche Alien.FILM|Alien.JPG → Alien.JPG"}) {
            const QString l = QString::fromUtf8(ligne).replace("$E", kEgales).replace("$D", kDeuxFilms);
            const QString appel = l.section(" → ", 0, 0);
            QTest::newRow(ligne) << appel.section(' ', 0, 0) << appel.section(' ', 1).split('|')
                                 << l.section(" → ", 1);
        }
    }
    void appels() {
        QFETCH(QString, fonction);
        QFETCH(QStringList, args);
        QFETCH(QString, attendu);
        QCOMPARE(appeler(fonction, args), attendu);
    }

    void lireFichierFilm_data() {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("lignes"); // empty: refused as not a text
        const QStringList ete{QStringLiteral("L'été meurtrier"), QStringLiteral("Jean Becker")};
        QTest::newRow("UTF-8") << QByteArray("L'\xc3\xa9t\xc3\xa9 meurtrier\r\nJean Becker\r\n") << ete;
        QTest::newRow("BOM") << QByteArray("\xef\xbb\xbfL'\xc3\xa9t\xc3\xa9 meurtrier\nJean Becker") << ete;
        QTest::newRow("Windows-1252") << QByteArray("L'\xe9t\xe9 meurtrier\r\nJean Becker\r\n") << ete;
        // 0x80-0x9F are the code page's own characters, not control codes.
        QTest::newRow("Windows-1252, 0x80-0x9F") << QByteArray("\x9cuvre \x80 l\x92\xe9t\xe9\x85\r\n")
                                                 << QStringList{QStringLiteral("œuvre € l’été…")};
        QTest::newRow("fins de ligne, blancs")
            << QByteArray(" a\t\r\n\r\nc\nd") << QStringList{" a\t", "", "c", "d"};
        QTest::newRow("huit lignes") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n")
                                     << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("UTF-16") << QByteArray("\xff\xfeT\0I\0T\0", 8) << QStringList();
    }
    void lireFichierFilm() {
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, lignes);
        const FichierFilm::Lecture l = FichierFilm::lire(octets);
        QCOMPARE(l.erreur.isEmpty(), !lignes.isEmpty());
        QCOMPARE(l.lignes, lignes);
    }

    void horlogeAllerRetour() {
        QRandomGenerator alea(20240607);
        for (int i = 0; i < 2000; ++i) {
            const int secondes = i % 2 ? int(alea.bounded(200000)) - 100000 : int(alea.generate());
            QCOMPARE(HeureEnSecondes(SecondesEnHeure(secondes)), secondes);
        }
    }

    // Random placements and removals on random cassettes, checking the rules after every step.
    void sequencesAleatoires() {
        QRandomGenerator alea(7031975);
        const int durees[] = {0, 600, 1800, 2700, 3600, 5400, 7200};
        int numero = 0;
        for (int cassette = 0; cassette < 200; ++cassette) {
            const int capacite = cassette % 50 == 0 ? 0 : int(alea.bounded(1, 5)) * 3600;
            QString status = SecondesEnHeure(capacite);
            QStringList titres; // in tape order
            for (int etape = 0; etape < 25; ++etape) {
                const int duree = alea.bounded(2) ? durees[alea.bounded(7)] : int(alea.bounded(3 * 3600));
                // Titles differ even without regard to case; some hold a "/".
                const QString titre =
                    QString::fromLatin1(alea.bounded(2) ? "film/%1" : "FILM %1").arg(++numero);
                const QStringList champs = Champs(status);
                auto longueur = [&](int i) { return EstFilm(champs[i]) ? -1 : HeureEnSecondes(champs[i]); };
                QString nouveau;
                int champ = 0;
                switch (alea.bounded(3)) {
                case 0: {
                    const QString plage = CherchePlageLibre(SecondesEnHeure(duree), status);
                    champ = int(champs.indexOf(plage)) + 1;
                    for (int i = 0; i < champs.size(); ++i)
                        QVERIFY(longueur(i) < duree || (champ > 0 && longueur(i) >= longueur(champ - 1)));
                    QVERIFY(champ == 0 || longueur(champ - 1) >= duree);
                    nouveau = InsereFilm(status, plage, SecondesEnHeure(duree), titre);
                    break;
                }
                case 1:
                    champ = int(alea.bounded(int(champs.size()) + 2));
                    nouveau = InsereFilmAuChamp(status, champ, SecondesEnHeure(duree), titre);
                    if (champ < 1 || champ > champs.size() || longueur(champ - 1) < duree)
                        champ = 0;
                    break;
                default:
                    const int position = int(alea.bounded(int(titres.size()) + 2));
                    nouveau = RetireFilm(status, position);
                    if (position >= 1 && position <= titres.size())
                        QCOMPARE(CherchePositionFilm(nouveau, titres.takeAt(position - 1)), 0);
                    else
                        QCOMPARE(nouveau, status);
                }
                if (champ > 0) {
                    const int position = PositionAuChamp(status, champ);
                    QVERIFY(position >= 1 && position <= titres.size() + 1);
                    titres.insert(position - 1, titre);
                    QCOMPARE(CherchePositionFilm(nouveau, titre), position);
                }
                status = nouveau;
                const QString erreur = violation(status, capacite, titres);
                if (!erreur.isEmpty())
                    QFAIL(qPrintable(erreur + QStringLiteral(" dans ") + status));
            }
        }
    }

    // Random keys over a few bytes, so that many share their first eight bytes, differ only past them, end
    // inside them, repeat, or hold zero and 0xFF bytes; rowids out of order. The sort must give byte order (a
    // key before its extensions), equal keys by rowid.
    void triParCles() {
        const struct {
            int nombre;
            int longueurMax; // -k: k keys of 30 bytes only, each many times
            int alphabet;    // letters from 'a'; 256: any byte; -k: bytes 0 to k-1
        } sortes[] = {{1, 4, 4},   {3000, 6, 3},   {3000, 40, 2},  {3000, 20, 256},
                      {500, 0, 1}, {3000, 12, -2}, {3000, -5, 256}};
        QRandomGenerator g(20261206);
        for (const auto& s : sortes) {
            QList<Cle> cles;
            for (int i = 0; i < s.nombre; ++i) {
                QByteArray o;
                QRandomGenerator choix(quint32(g.bounded(qMax(1, -s.longueurMax))));
                const int n = s.longueurMax < 0 ? 30 : s.longueurMax ? int(g.bounded(s.longueurMax + 1)) : 0;
                // A common head of nine bytes for half the keys: their prefixes tie.
                if ((s.longueurMax < 0 || g.bounded(2)) && n > 9)
                    o = QByteArray(9, 'a');
                while (o.size() < n)
                    o += char(s.longueurMax < 0   ? choix.bounded(256)
                              : s.alphabet == 256 ? g.bounded(256)
                              : s.alphabet < 0    ? g.bounded(-s.alphabet)
                                                  : 'a' + g.bounded(s.alphabet));
                cles << Cle{o, qint64(g.bounded(1000000))};
            }
            for (const bool decroissant : {false, true}) {
                QVector<Catalogue::CleLigne> lignes;
                QByteArray tampon;
                for (const Cle& c : cles) {
                    lignes << Catalogue::CleLigne{quint32(tampon.size()), quint32(c.octets.size()), c.rowid};
                    tampon += c.octets;
                }
                Catalogue::trierParCles(lignes, tampon, decroissant);
                std::stable_sort(cles.begin(), cles.end(), [decroissant](const Cle& a, const Cle& b) {
                    const int c = a.octets.compare(b.octets);
                    return c != 0 ? (decroissant ? c > 0 : c < 0) : a.rowid < b.rowid;
                });
                for (int i = 0; i < cles.size(); ++i)
                    QCOMPARE(lignes[i].rowid, cles[i].rowid);
            }
        }
    }

    // The grid orders by these keys where it ordered by QCollator's: the same order.
    void cleFrancaise() {
        const QStringList textes{
            "Zorro",     "zorro", "Été",   "ete",    "été",   "alien", "Alien", "K7 10", "K7 9",
            "K7 100",    "k7 2",  "Œil",   "Oeuvre", "Ordet", "",      " ",     "L'Été", "Le Retour",
            "Le-Retour", "1985",  "1985 ", "02",     "2",     "Ça",    "ça",    "Cela",  "façade",
            "Facade",    "Ǆ",     "naïf",  "naif",   "Ñandú", "Æon",   "aeon",  "日本",  "🙂 film"};
        QCollator c(QLocale(QLocale::French, QLocale::France));
        for (const bool casse : {false, true}) {
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
    }
};

QTEST_GUILESS_MAIN(TestFonctions)
#include "tst_fonctions.moc"
