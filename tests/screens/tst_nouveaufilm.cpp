// The road of a new film as a user walks it: the film form from the menu, the cassette choice,
// the placement and its summary, then what the catalogue holds.

#include "screens/common/Unites.h"
#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "tests/support/Banc.h"

#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolButton>

using namespace banc;

namespace {

// The yellow segment of a bar, -1 when none.
int jaune(const AvecBarre& b) {
    int j = -1;
    for (int i = 0; i <= b.shape.UBound(); ++i) {
        if (b.shape(i).BackColor() == Unites::Jaune)
            j = i;
    }
    return j;
}

// A cassette row as it must read for this layout: capacity, free time and film count follow it.
QString ligneK7(int id, const QString& status) {
    int duree = 0, libre = 0, films = 0;
    for (const QString& champ : Fonctions::Champs(status)) {
        const bool film = Fonctions::EstFilm(champ);
        const int d = Outils::HeureEnSecondes(film ? champ.mid(4, 8) : champ);
        duree += d;
        libre += film ? 0 : d;
        films += film;
    }
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(id)
        .arg(Outils::SecondesEnHeure(duree), Outils::SecondesEnHeure(libre))
        .arg(films)
        .arg(status);
}

// The rows of K7 of that cassette, or of all the others.
QStringList rangees(const DossierTest& d, int k7, bool celle) {
    QStringList l;
    for (const QString& r : d.contenu(QStringLiteral("K7"))) {
        if (r.startsWith(QString::number(k7) + QLatin1Char('|')) == celle)
            l << r;
    }
    return l;
}

QStringList saisie(const QString& titre, const QString& duree) {
    return {titre,
            QStringLiteral("Agnès Varda"),
            QStringLiteral("Corinne Marchand, Antoine Bourseiller"),
            duree,
            QStringLiteral("1962"),
            QStringLiteral("France"),
            QStringLiteral("Com"),
            QStringLiteral("Deux heures d'une chanteuse à Paris, « en attendant ».")};
}

// Types a film into the form; the duration's colons come from the typing aid.
void saisir(AjoutFilm& f, const QString& titre, const QString& duree) {
    const QStringList s = saisie(titre, QString(duree).remove(QLatin1Char(':')));
    taper(f.TxtTitre, s[0]);
    taper(f.TxtRealisateur, s[1]);
    taper(f.TxtActeurs, s[2]);
    taper(f.TxtDuree, s[3]);
    taper(f.TxtDate, s[4]);
    taper(f.TxtPays, s[5]);
    // A genre begun is kept as typed, and Tab leaves it: keys go to the focused field, as a user's.
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.ComboGenre->setFocus();
    taper(f.ComboGenre->lineEdit(), s[6]);
    QTest::keyClick(f.windowHandle(), Qt::Key_Tab);
    QCOMPARE(f.focusWidget(), static_cast<QWidget*>(f.TxtDescription));
    taper(f.TxtDescription, s[7]);
}

} // namespace

class TestNouveauFilm : public QObject {
    Q_OBJECT

private slots:
    void route_data() {
        QTest::addColumn<QStringList>("cassettes"); // layout records of cassettes 1, 2, ...
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("duree");
        QTest::addColumn<int>("ligne");        // candidate row the user clicks
        QTest::addColumn<QList<int>>("clics"); // segments clicked on the bar
        QTest::addColumn<int>("jaune");
        QTest::addColumn<QString>("status");         // of the cassette that takes the film
        QTest::addColumn<QStringList>("placements"); // "cassette:position:title" afterwards

        const QString milieu =
            QStringLiteral("FILM00:30:00A/01:00:00/FILM00:30:00B/00:40:00/FILM00:10:00C/01:30:00");
        QTest::newRow("cassette vide")
            << QStringList{"03:00:00"} << "Été à Saint-Tropez"
            << "01:30:00" << 1 << QList<int>{} << 0 << "FILM01:30:00Été à Saint-Tropez/01:30:00"
            << QStringList{"1:1:Été à Saint-Tropez"};
        QTest::newRow("entre deux films, les suivants décalés")
            << QStringList{"FILM01:00:00A/01:00:00/FILM00:30:00B/FILM00:30:00C/00:10:00",
                           "FILM01:00:00D/02:00:00"}
            << "Milieu"
            << "00:45:00" << 1 << QList<int>{} << 1
            << "FILM01:00:00A/FILM00:45:00Milieu/00:15:00/FILM00:30:00B/FILM00:30:00C/00:10:00"
            << QStringList{"1:1:A", "1:2:Milieu", "1:3:B", "1:4:C", "2:1:D"};
        QTest::newRow("deux plages égales, la seconde choisie")
            << QStringList{"01:00:00/FILM01:00:00A/01:00:00"} << "Second"
            << "00:50:00" << 1 << QList<int>{2} << 2 << "01:00:00/FILM01:00:00A/FILM00:50:00Second/00:10:00"
            << QStringList{"1:1:A", "1:2:Second"};
        QTest::newRow("clics sur un film, une plage trop courte, la plage choisie")
            << QStringList{milieu} << "Clic"
            << "00:45:00" << 1 << QList<int>{0, 3, 1} << 1
            << "FILM00:30:00A/FILM00:45:00Clic/00:15:00/FILM00:30:00B/00:40:00/FILM00:10:00C/01:30:00"
            << QStringList{"1:1:A", "1:2:Clic", "1:3:B", "1:4:C"};
        QTest::newRow("plage plus longue choisie en fin de bande")
            << QStringList{milieu} << "Clic"
            << "00:45:00" << 1 << QList<int>{5} << 5
            << "FILM00:30:00A/01:00:00/FILM00:30:00B/00:40:00/FILM00:10:00C/FILM00:45:00Clic/00:45:00"
            << QStringList{"1:1:A", "1:2:B", "1:3:C", "1:4:Clic"};
        QTest::newRow("plage remplie exactement")
            << QStringList{milieu} << "Juste"
            << "01:00:00" << 1 << QList<int>{} << 1
            << "FILM00:30:00A/FILM01:00:00Juste/FILM00:30:00B/00:40:00/FILM00:10:00C/01:30:00"
            << QStringList{"1:1:A", "1:2:Juste", "1:3:B", "1:4:C"};
        QTest::newRow("deuxième cassette de la liste")
            << QStringList{"02:00:00", "FILM01:00:00X/00:50:00"} << "Ailleurs"
            << "00:45:00" << 2 << QList<int>{} << 0 << "FILM00:45:00Ailleurs/01:15:00"
            << QStringList{"1:1:Ailleurs", "2:1:X"};
        QTest::newRow("titre avec barre oblique")
            << QStringList{"FILM00:30:00A/03:00:00"} << "AC/DC : Live/2"
            << "01:00:00" << 1 << QList<int>{} << 1
            << QStringLiteral("FILM00:30:00A/FILM01:00:00AC\u2215DC : Live\u22152/02:00:00")
            << QStringList{"1:1:A", "1:2:AC/DC : Live/2"};
        // The record carries the title as saved: a plain space would set it apart from its film.
        QTest::newRow("titre avec espaces insécables")
            << QStringList{"03:00:00"} << QStringLiteral("Cléo\u00A0: de 5 à 7\u00A0!") << "01:30:00" << 1
            << QList<int>{} << 0 << QStringLiteral("FILM01:30:00Cléo\u00A0: de 5 à 7\u00A0!/01:30:00")
            << QStringList{QStringLiteral("1:1:Cléo\u00A0: de 5 à 7\u00A0!")};
        QTest::newRow("même titre plus tôt sur la bande")
            << QStringList{"FILM01:00:00Alien/01:00:00/FILM00:30:00B/00:30:00"} << "ALIEN"
            << "00:30:00" << 1 << QList<int>{} << 3
            << "FILM01:00:00Alien/01:00:00/FILM00:30:00B/FILM00:30:00ALIEN"
            << QStringList{"1:1:Alien", "1:2:B", "1:3:ALIEN"};
        QTest::newRow("même titre, placé juste après l'autre")
            << QStringList{"FILM01:00:00Alien/01:00:00/FILM00:30:00B/00:30:00"} << "alien"
            << "00:30:00" << 1 << QList<int>{1} << 1
            << "FILM01:00:00Alien/FILM00:30:00alien/00:30:00/FILM00:30:00B/00:30:00"
            << QStringList{"1:1:Alien", "1:2:alien", "1:3:B"};
    }

    void route() {
        QFETCH(QStringList, cassettes);
        QFETCH(QString, titre);
        QFETCH(QString, duree);
        QFETCH(int, ligne);
        QFETCH(QList<int>, clics);
        QFETCH(int, jaune);
        QFETCH(QString, status);
        QFETCH(QStringList, placements);
        const QStringList place =
            placements.filter(QRegularExpression(":" + QRegularExpression::escape(titre) + "$"));
        QCOMPARE(place.size(), 1);
        const int k7 = place.first().section(QLatin1Char(':'), 0, 0).toInt();
        const int position = place.first().section(QLatin1Char(':'), 1, 1).toInt();
        // Where the film lies on the tape after all: where the user was told to wind it.
        int secondes = 0, films = 0;
        for (const QString& champ : Fonctions::Champs(status)) {
            if (Fonctions::EstFilm(champ) && ++films == position)
                break;
            secondes += Fonctions::LongueurChamp(champ);
        }
        const QString debut = QStringLiteral("Enregistrer à partir de ") + Outils::SecondesEnHeure(secondes);
        Banc b;
        for (const QString& s : cassettes)
            cassette(s);
        const QStringList autresK7 = rangees(b.dossier, k7, false);
        const int idFilm = b.dossier.contenu(QStringLiteral("Film")).size() + 1;
        const QString affiche = b.dossier.fichier(QStringLiteral("affiche de test.jpg"));
        const QByteArray octetsAffiche = image(affiche, Qt::blue);
        Moniteur& m = b.demarrer();

        QStringList saisis;
        bool resume = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f && f->isVisible());
            QCOMPARE(f->windowTitle(), QStringLiteral("Ajout d'un film"));
            QCOMPARE(f->BtnAjouterFilm->text(), QStringLiteral("Valider"));
            saisir(*f, titre, duree);
            QCOMPARE(champs(*f), saisie(titre, duree));
            b.repondeur.attendreFichier(affiche);
            QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
            QVERIFY(!f->Affiche->pixmap().isNull());
            saisis = champs(*f);
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c && c->isVisible());
                QCOMPARE(c->LblTitre->text(), titre);
                QCOMPARE(c->LblDuree->text(), duree);
                if (ligne != 1)
                    cliquerLigne(*c->TableK7Libre, ligne);
                QCOMPARE(c->lblNumK7->text(), QString::number(k7));
                for (int i : clics)
                    QTest::mouseClick(&c->shape(i), Qt::LeftButton);
                QCOMPARE(::jaune(*c), jaune);
                QCOMPARE(c->LblDebut->text(), debut);
                QCOMPARE(c->PlageChoisie, c->lblDuree(jaune).Caption());
                QCOMPARE(c->TableK7Libre->TextMatrix(c->TableK7Libre->Row(), 3), c->PlageChoisie);
                // A hand, and a hint that says so, over every other free stretch that fits.
                for (int i = 0; i <= c->shape.UBound(); ++i) {
                    const bool libre =
                        c->shape(i).BackColor() == Unites::Blanc && c->lblDuree(i).Caption() >= duree;
                    QCOMPARE(c->shape(i).cursor().shape() == Qt::PointingHandCursor, libre);
                    QCOMPARE(c->shape(i).toolTip().contains("Cliquer pour enregistrer"), libre);
                }
                puis([&] {
                    auto* infos = Feuille::chargee<InfosK7>();
                    QVERIFY(infos && infos->isVisible());
                    // The choice and the form are gone before the summary shows.
                    QVERIFY(!AjoutFilm::instance() && !ChoixK7::instance());
                    const QStringList k7Ligne = ligneK7(k7, status).split(QLatin1Char('|'));
                    QCOMPARE(infos->LblTitre->text(), titre);
                    QCOMPARE(infos->lblNumK7->text(), QString::number(k7));
                    QCOMPARE(infos->LblDureeK7->text(), k7Ligne[1]);
                    QCOMPARE(infos->LblTempsRestant->text(), k7Ligne[2]);
                    QCOMPARE(infos->LblPositionFilm->text(), QString::number(position));
                    QCOMPARE(infos->LblNbFilm->text(), k7Ligne[3]);
                    QCOMPARE(infos->LblDebut->text(), debut);
                    QCOMPARE(infos->shape.UBound() + 1, Fonctions::Champs(status).size());
                    QCOMPARE(::jaune(*infos), -1);
                    resume = true;
                    QTest::mouseClick(infos->BtnValiderK7, Qt::LeftButton);
                });
                QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();

        QVERIFY(resume);
        QVERIFY(!AjoutFilm::instance() && !ChoixK7::instance() && !Feuille::chargee<InfosK7>());
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")).last(),
                 QString::number(idFilm) + QLatin1Char('|') + saisis.join(QLatin1Char('|')));
        QCOMPARE(rangees(b.dossier, k7, true), QStringList{ligneK7(k7, status)});
        QCOMPARE(rangees(b.dossier, k7, false), autresK7);
        QCOMPARE(::placements(), placements);
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(octets(b.affiche(idFilm)), octetsAffiche);
        QCOMPARE(b.affiches(), QStringList{QStringLiteral("%1.jpg").arg(idFilm)});
        // The main window shows the new film, its cassette and its place.
        QVERIFY(m.FilmPresent);
        QCOMPARE(m.LblTitre->text(), titre);
        QCOMPARE(m.lblNumK7->text(), QString::number(k7));
        QCOMPARE(m.LblPositionFilm->text(), QString::number(position));
        QVERIFY(m.BtnNextFilm->isEnabled() && m.BtnPreviousFilm->isEnabled());
        QVERIFY(b.repondeur.messages().isEmpty());
    }

    // The engine fails on the placement row: nothing lands, the poster is not kept, the user is
    // told why, and the film waits on its form; once the fault is gone the same film is placed.
    void placementEnPanne() {
        Banc b;
        cassette(QStringLiteral("01:00:00/FILM01:00:00A/FILM00:30:00B"));
        cassette(QStringLiteral("FILM00:20:00Z/02:00:00"));
        executer(QStringLiteral(
            "CREATE TRIGGER panne BEFORE INSERT ON FilmK7 BEGIN SELECT RAISE(ABORT, 'panne'); END"));
        const QStringList avant = tout(b.dossier);
        const QString affiche = b.dossier.fichier(QStringLiteral("affiche.jpg"));
        const QByteArray octetsAffiche = image(affiche, Qt::green);
        Moniteur& m = b.demarrer();

        QStringList saisis;
        bool place = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            saisir(*f, QStringLiteral("Cléo de 5 à 7"), QStringLiteral("00:50:00"));
            b.repondeur.attendreFichier(affiche);
            QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c);
                QCOMPARE(c->lblNumK7->text(), QStringLiteral("1"));
                saisis = champs(*f);
                b.repondeur.attendre();
                QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);

                QCOMPARE(b.repondeur.messages().size(), 1);
                QCOMPARE(b.repondeur.messages().first().second, int(Messages::Critique));
                QVERIFY2(b.repondeur.dernier().contains(QLatin1String("panne")),
                         qPrintable(b.repondeur.dernier()));
                QCOMPARE(tout(b.dossier), avant);
                QCOMPARE(b.affiches(), QStringList());
                QVERIFY(ChoixK7::instance() == c && c->isVisible());
                QVERIFY(AjoutFilm::instance() == f && f->isVisible());
                QCOMPARE(f->DataFilm.EditMode(), SourceDonnees::AjoutEnCours);
                QCOMPARE(champs(*f), saisis);

                executer(QStringLiteral("DROP TRIGGER panne"));
                puis([&] {
                    place = true;
                    QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton);
                });
                QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        QTest::mouseClick(m.BntAjouterFilm, Qt::LeftButton);

        QVERIFY(place);
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")).last(),
                 QStringLiteral("4|") + saisis.join(QLatin1Char('|')));
        QCOMPARE(::placements(), (QStringList{"1:1:Cléo de 5 à 7", "1:2:A", "1:3:B", "2:1:Z"}));
        QCOMPARE(octets(b.affiche(4)), octetsAffiche);
        QCOMPARE(b.affiches(), QStringList{QStringLiteral("4.jpg")});
        QCOMPARE(b.dossier.invariants(), QStringList());
    }

    void candidats_data() {
        QTest::addColumn<QStringList>("cassettes");
        QTest::addColumn<QString>("duree");
        QTest::addColumn<QStringList>("lignes");
        QTest::addColumn<int>("visibles");

        QTest::newRow("assez de temps au total, aucune plage assez longue")
            << QStringList{"01:00:00/FILM01:00:00X/01:00:00", "01:30:00"} << "01:30:00"
            << QStringList{"2|01:30:00|0|01:30:00"} << 1;
        QTest::newRow("la plage la plus courte, par temps restant croissant")
            << QStringList{"03:00:00", "FILM00:30:00A/01:00:00/FILM00:30:00B/00:50:00", "02:00:00"}
            << "00:45:00"
            << QStringList{"2|02:50:00|2|00:50:00", "3|02:00:00|0|02:00:00", "1|03:00:00|0|03:00:00"} << 3;
        QTest::newRow("plus de quatre : la liste défile")
            << QStringList{"06:00:00", "05:00:00", "04:00:00", "03:00:00", "02:00:00", "01:00:00"}
            << "01:00:00"
            << QStringList{"6|01:00:00|0|01:00:00", "5|02:00:00|0|02:00:00", "4|03:00:00|0|03:00:00",
                           "3|04:00:00|0|04:00:00", "2|05:00:00|0|05:00:00", "1|06:00:00|0|06:00:00"}
            << 4;
        QTest::newRow("aucune assez longue")
            << QStringList{"00:30:00", "FILM00:30:00A/00:59:59"} << "01:00:00"
            << QStringList{"|Aucune     cassette|de     Disponible|"} << 1;
        QTest::newRow("aucune cassette")
            << QStringList{} << "00:10:00" << QStringList{"|Aucune     cassette|de     Disponible|"} << 1;
    }

    // What the choice screen offers; "Fermer" writes nothing and the film waits on its form,
    // which offers the choice again; its close box then drops the film.
    void candidats() {
        QFETCH(QStringList, cassettes);
        QFETCH(QString, duree);
        QFETCH(QStringList, lignes);
        QFETCH(int, visibles);
        Banc b;
        for (const QString& s : cassettes)
            cassette(s);
        const QStringList avant = tout(b.dossier);
        const bool aucune = lignes.first().startsWith(QLatin1Char('|'));
        Moniteur& m = b.demarrer();

        int ouvertures = 0;
        auto verifier = [&] {
            ChoixK7* c = ChoixK7::instance();
            QVERIFY(c && c->isVisible());
            ++ouvertures;
            Grille& g = *c->TableK7Libre;
            QCOMPARE(::lignes(g, 4), lignes);
            QCOMPARE(lignesVisibles(g), visibles);
            QCOMPARE(g.verticalScrollBar()->maximum() > 0, lignes.size() > 4);
            QCOMPARE(c->BtnValiderK7->isEnabled(), !aucune);
            QCOMPARE(c->FrmInfosK7->isVisible(), !aucune);
            QCOMPARE(c->LblChoixK7->text(),
                     aucune ? QStringLiteral("Aucune cassette n'a été trouvée pour la durée demandée")
                            : QStringLiteral("Choisissez une cassette parmis les différentes propositions"));
            if (!aucune) {
                // Each row shows its cassette with its proposed stretch in yellow.
                for (int r = lignes.size(); r >= 1; --r) {
                    cliquerLigne(g, r);
                    QCOMPARE(c->lblNumK7->text(), g.TextMatrix(r, 0));
                    QCOMPARE(c->lblDuree(::jaune(*c)).Caption(), g.TextMatrix(r, 3));
                    QCOMPARE(c->PlageChoisie, g.TextMatrix(r, 3));
                }
            }
            QTest::mouseClick(c->BtnFermer, Qt::LeftButton);
        };
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            f->TxtTitre->setPlainText(QStringLiteral("En attente"));
            f->TxtDuree->setText(duree);
            puis(verifier);
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            QVERIFY(!ChoixK7::instance());
            QVERIFY(AjoutFilm::instance() == f && f->isVisible());
            QCOMPARE(f->DataFilm.EditMode(), SourceDonnees::AjoutEnCours);
            QCOMPARE(f->TxtTitre->toPlainText(), QStringLiteral("En attente"));
            QCOMPARE(f->TxtDuree->text(), duree);
            QCOMPARE(tout(b.dossier), avant);
            puis(verifier);
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            f->close();
        });
        m.MenuAjouterFilm->trigger();

        QCOMPARE(ouvertures, 2);
        QVERIFY(!AjoutFilm::instance());
        QCOMPARE(tout(b.dossier), avant);
        QVERIFY(b.repondeur.messages().isEmpty());
    }

    // No cassette fits: one is created from the choice screen, is offered at once and takes the film.
    void cassetteCreeeDepuisLeChoix() {
        Banc b;
        cassette(QStringLiteral("FILM00:30:00A/00:30:00"));
        Moniteur& m = b.demarrer();

        bool place = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            f->TxtTitre->setPlainText(QStringLiteral("Long métrage"));
            f->TxtDuree->setText(QStringLiteral("01:40:00"));
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c && !c->BtnValiderK7->isEnabled());
                puis([&] {
                    auto* k7 = Feuille::chargee<AjoutK7>();
                    QVERIFY(k7 && k7->isVisible());
                    QTest::mouseClick(k7->TxtDuree, Qt::LeftButton);
                    taper(k7->TxtDuree, QStringLiteral("020000"));
                    QCOMPARE(k7->TxtDuree->text(), QStringLiteral("02:00:00"));
                    b.repondeur.attendre();
                    QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
                });
                QTest::mouseClick(c->BtnAjouterK7, Qt::LeftButton);
                QCOMPARE(b.repondeur.textes(),
                         QStringList{
                             QStringLiteral("Une nouvelle cassette à été ajoutée :\n\nSon numéro est le 2")});
                QCOMPARE(::lignes(*c->TableK7Libre, 4), QStringList{"2|02:00:00|0|02:00:00"});
                QVERIFY(c->BtnValiderK7->isEnabled() && c->FrmInfosK7->isVisible());
                QCOMPARE(::jaune(*c), 0);
                puis([&] {
                    place = true;
                    QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton);
                });
                QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();

        QVERIFY(place);
        QVERIFY(m.K7Presente);
        QCOMPARE(::placements(), (QStringList{"1:1:A", "2:1:Long métrage"}));
        QCOMPARE(b.dossier.contenu(QStringLiteral("K7")).last(),
                 ligneK7(2, QStringLiteral("FILM01:40:00Long métrage/00:20:00")));
        QCOMPARE(b.dossier.invariants(), QStringList());
    }
};

QTEST_MAIN(TestNouveauFilm)
#include "tst_nouveaufilm.moc"
