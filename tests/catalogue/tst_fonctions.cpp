#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>

using namespace Fonctions;
using Outils::HeureEnSecondes;
using Outils::SecondesEnHeure;

namespace {

const QString kDeuxFilms = QStringLiteral("00:10:00/FILM00:20:00A/00:05:00/FILM00:40:00B/00:15:00");
const QString kEgales = QStringLiteral("00:45:00/FILM01:00:00A/00:45:00/FILM00:10:00B/00:20:00");

// Checks the rules every record keeps against the films expected in tape order; returns what is
// wrong, or "" when all hold.
QString violation(const QString& status, int capacite, const QStringList& titres) {
    const QStringList champs = Champs(status);
    if (champs.join(QLatin1Char('/')) != status)
        return QStringLiteral("champ vide");
    int total = 0, libre = 0, enFilms = 0, films = 0;
    bool precedentLibre = false;
    for (const QString& champ : champs) {
        const bool estLibre = !EstFilm(champ);
        const int duree = HeureEnSecondes(estLibre ? champ : champ.mid(4, 8));
        total += duree;
        if (estLibre) {
            if (precedentLibre)
                return QStringLiteral("plages libres voisines");
            if (champ == QLatin1String("00:00:00") && status != champ)
                return QStringLiteral("plage vide laissée");
            libre += duree;
        } else {
            // The title starts at character 13 only if the length takes exactly 8 characters.
            if (!Outils::VerifieFormat(champ.mid(4, 8), QStringLiteral("##:##:##")))
                return QStringLiteral("longueur mal écrite");
            enFilms += duree;
            if (++films > titres.size() || champ.mid(12) != TitreDansStatus(titres[films - 1]))
                return QStringLiteral("film inattendu: ") + champ;
        }
        precedentLibre = estLibre;
    }
    if (total != capacite || libre != capacite - enFilms)
        return QStringLiteral("longueurs fausses");
    if (films != titres.size())
        return QStringLiteral("film manquant");
    return QString();
}

} // namespace

class TestFonctions : public QObject {
    Q_OBJECT

private slots:
    void champs_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("vide") << "" << QStringList();
        QTest::newRow("arrêt au champ vide") << "01:00:00//FILM01:00:00A" << QStringList{"01:00:00"};
        QTest::newRow("séparateur final")
            << "FILM01:00:00A/01:00:00/" << QStringList{"FILM01:00:00A", "01:00:00"};
        QTest::newRow("séparateur initial") << "/01:00:00" << QStringList();
    }
    void champs() {
        QFETCH(QString, status);
        QFETCH(QStringList, attendu);
        QCOMPARE(Champs(status), attendu);
    }

    void cherchePlageLibre_data() {
        QTest::addColumn<QString>("duree");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("attendu");
        auto cas = [](const char* nom, const char* duree, const char* status, const char* attendu) {
            QTest::newRow(nom) << QString(duree) << QString(status) << QString(attendu);
        };
        cas("ajustée plutôt que longue", "01:30:00", "02:00:00/FILM01:00:00A/01:30:00", "01:30:00");
        cas("aucune assez longue", "01:30:00", "01:00:00/FILM01:00:00A/00:45:00", "");
        cas("une seconde de trop", "01:30:01", "01:30:00", "");
        cas("plus courte en dernier", "00:10:00", "00:50:00/FILM01:00:00A/00:20:00", "00:20:00");
        cas("films ignorés", "00:10:00", "FILM00:05:00A/FILM03:00:00B", "");
        cas("film tronqué", "00:10:00", "FILMxx/01:00:00", "01:00:00");
    }
    void cherchePlageLibre() {
        QFETCH(QString, duree);
        QFETCH(QString, status);
        QFETCH(QString, attendu);
        QCOMPARE(CherchePlageLibre(duree, status), attendu);
    }

    void insereFilm_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("plage");
        QTest::addColumn<QString>("duree");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("attendu");
        auto cas = [](const char* nom, const QString& status, const char* plage, const char* duree,
                      const char* titre, const QString& attendu) {
            QTest::newRow(nom) << status << QString(plage) << QString(duree) << QString(titre) << attendu;
        };
        cas("cassette neuve", "03:00:00", "03:00:00", "01:30:00", "Titre", "FILM01:30:00Titre/01:30:00");
        cas("remplit la plage", "FILM01:30:00Titre/01:30:00", "01:30:00", "01:30:00", "Autre",
            "FILM01:30:00Titre/FILM01:30:00Autre");
        cas("première de deux égales", kEgales, "00:45:00", "00:30:00", "T",
            "FILM00:30:00T/00:15:00/FILM01:00:00A/00:45:00/FILM00:10:00B/00:20:00");
        cas("titre vide", "01:00:00", "01:00:00", "01:00:00", "", "FILM01:00:00");
        cas("durée normalisée", "02:00:00", "02:00:00", "1:5:3", "T", "FILM01:05:03T/00:54:57");
        cas("barre oblique du titre", "02:00:00", "02:00:00", "01:00:00", "AC/DC",
            "FILM01:00:00AC∕DC/01:00:00");
        cas("plage absente", "02:00:00", "01:00:00", "00:30:00", "T", "02:00:00");
        cas("plage trop courte", kDeuxFilms, "00:05:00", "00:10:00", "T", kDeuxFilms);
        cas("plage qui est un film", kDeuxFilms, "FILM00:20:00A", "00:01:00", "T", kDeuxFilms);
        cas("durée négative", "01:00:00", "01:00:00", "-00:10:00", "T", "01:00:00");
        cas("reste non lu conservé", "02:00:00//x", "02:00:00", "01:00:00", "T", "FILM01:00:00T/01:00:00//x");
    }
    void insereFilm() {
        QFETCH(QString, status);
        QFETCH(QString, plage);
        QFETCH(QString, duree);
        QFETCH(QString, titre);
        QFETCH(QString, attendu);
        QCOMPARE(InsereFilm(status, plage, duree, titre), attendu);
    }

    void insereFilmAuChamp_data() {
        QTest::addColumn<int>("champ");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<int>("position");
        QTest::newRow("seconde de deux égales")
            << 3 << "00:45:00/FILM01:00:00A/FILM00:30:00T/00:15:00/FILM00:10:00B/00:20:00" << 2;
        QTest::newRow("trop courte") << 5 << kEgales << 3;
        QTest::newRow("un film") << 2 << kEgales << 1;
        QTest::newRow("absent") << 6 << kEgales << 3;
        QTest::newRow("plus petit int") << std::numeric_limits<int>::min() << kEgales << 1;
    }
    void insereFilmAuChamp() {
        QFETCH(int, champ);
        QFETCH(QString, attendu);
        QFETCH(int, position);
        QCOMPARE(InsereFilmAuChamp(kEgales, champ, QStringLiteral("00:30:00"), QStringLiteral("T")), attendu);
        QCOMPARE(PositionAuChamp(kEgales, champ), position);
    }

    void cherchePositionFilm_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<int>("attendu");
        const QString status =
            QStringLiteral("00:10:00/FILM00:20:00ALIEN/00:05:00/FILM00:40:00L'été meurtrier");
        QTest::newRow("capitales enregistrées") << status << "Alien" << 1;
        QTest::newRow("capitales cherchées") << status << "L'ÉTÉ MEURTRIER" << 2;
        QTest::newRow("absent") << status << "Zorro" << 0;
        QTest::newRow("préfixe seulement") << status << "Ali" << 0;
        QTest::newRow("titre vide") << QString("FILM00:10:00A/FILM00:10:00") << QString() << 2;
        QTest::newRow("barre oblique") << QString("FILM00:10:00AC∕DC") << QString("ac/dc") << 1;
        QTest::newRow("film tronqué compté") << QString("FILMxx/FILM00:10:00") << QString() << 2;
    }
    void cherchePositionFilm() {
        QFETCH(QString, status);
        QFETCH(QString, titre);
        QFETCH(int, attendu);
        QCOMPARE(CherchePositionFilm(status, titre), attendu);
    }

    void retireFilm_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("fusion des deux côtés") << kDeuxFilms << 2 << "00:10:00/FILM00:20:00A/01:00:00";
        QTest::newRow("premier film") << kDeuxFilms << 1 << "00:35:00/FILM00:40:00B/00:15:00";
        QTest::newRow("voisins films") << "FILM01:00:00A/FILM01:00:00B" << 1 << "01:00:00/FILM01:00:00B";
        QTest::newRow("seul film") << "FILM01:30:00T/01:30:00" << 1 << "03:00:00";
        QTest::newRow("au-delà") << kDeuxFilms << 3 << kDeuxFilms;
        QTest::newRow("zéro") << kDeuxFilms << 0 << kDeuxFilms;
        QTest::newRow("film tronqué") << "01:00:00/FILMxx" << 1 << "01:00:00";
        QTest::newRow("film de durée nulle")
            << "FILM00:10:00A/FILM00:00:00B/FILM00:10:00C" << 2 << "FILM00:10:00A/FILM00:10:00C";
        QTest::newRow("seul film de durée nulle") << "FILM00:00:00B" << 1 << "00:00:00";
    }
    void retireFilm() {
        QFETCH(QString, status);
        QFETCH(int, position);
        QFETCH(QString, attendu);
        QCOMPARE(RetireFilm(status, position), attendu);
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
                // Each field starts where the one before ends, the tape's start first; the last ends at
                // its length.
                const QList<Etendue> etendues = Etendues(status);
                const QStringList apres = Champs(status);
                QCOMPARE(etendues.size(), apres.size());
                for (int i = 0; i < etendues.size(); ++i) {
                    QCOMPARE(etendues[i].debut, i == 0 ? 0 : etendues[i - 1].fin);
                    QCOMPARE(etendues[i].fin - etendues[i].debut, LongueurChamp(apres[i]));
                }
                QCOMPARE(etendues.last().fin, capacite);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestFonctions)
#include "tst_fonctions.moc"
