// The commands that write, run as a user runs them: a film deleted from the main window or the
// film list, a cassette from its viewer, a film placed and deleted on numbers past 32 bits, and
// every writing command failed at each of its writes in turn. Each is judged by what the
// catalogue, the posters and the screens hold afterwards.

#include "catalogue/Pannes.h"
#include "screens/film/AjoutK7.h"
#include "screens/film/ChoixK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Banc.h"

#include <QComboBox>
#include <QMap>
#include <QToolButton>

using namespace banc;
namespace Pannes = Catalogue::Pannes;

namespace {

using Boites = QList<QPair<QString, int>>;

QStringList colonne(const QString& sql) {
    QStringList l;
    for (Sql q = executer(sql); q.next();)
        l << q.value(0).toString();
    return l;
}

// A poster for every film, each of its own colour.
void poserAffiches(const Banc& b) {
    const Qt::GlobalColor couleurs[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow};
    QDir().mkpath(b.dossier.fichier("Affiche"));
    for (const QString& id : colonne("SELECT IdFilm FROM Film"))
        image(b.affiche(id.toLongLong()), couleurs[id.toInt() % 6]);
}

// The main window shows a film the catalogue holds, at its place, with its own poster.
QString etat(const Banc& b, const Moniteur& m) {
    if (!m.FilmPresent)
        return "aucun film";
    const QString place = m.lblNumK7->text() + ':' + m.LblPositionFilm->text() + ':' + m.LblTitre->text();
    if (!placements().contains(place))
        return "place inconnue " + place;
    const QImage attendue(b.affiche(m.DataFilm.Fields("IdFilm").toLongLong()));
    if (attendue.isNull() || b.montree() != attendue.convertToFormat(QImage::Format_RGB32))
        return "autre affiche pour " + place;
    return "juste";
}

QString ligneK7(qint64 id) {
    return colonne("SELECT Status || '|' || TempsRestant || '|' || NBFilm FROM K7 WHERE IdK7 = " +
                   QString::number(id))
        .value(0);
}

QStringList entrees(const QComboBox& c) {
    QStringList l;
    for (int i = 0; i < c.count(); ++i)
        l << c.itemText(i);
    return l;
}

// The gesture runs while the cassette viewer shows, which then closes unless the gesture closed it.
void visualiser(Moniteur& m, std::function<void(VisuK7&)> geste) {
    puis([geste] {
        QPointer<VisuK7> v = Feuille::chargee<VisuK7>();
        QVERIFY(v && v->isVisible());
        geste(*v);
        if (v && v->isVisible())
            QTest::mouseClick(v->BtnValiderK7, Qt::LeftButton);
    });
    m.MenuEffacerCassette->trigger();
}

void choisir(VisuK7& v, const QString& k7) {
    v.ComboK7->setCurrentIndex(v.ComboK7->findText(k7));
    QTRY_COMPARE(v.lblNumK7->text(), k7);
}

// The writing commands, each as the user runs it; `reussite` says whether it is meant to succeed.
using Commande = void (*)(Banc&, Moniteur&, bool reussite);

void ajoutK7(Banc& b, Moniteur& m, bool) {
    puis([&b] {
        AjoutK7* k = Feuille::chargee<AjoutK7>();
        QVERIFY(k);
        k->TxtDuree->setText("04:00:00");
        b.repondeur.attendre(); // its number, or why it failed
        QTest::mouseClick(k->BtnAjouterK7, Qt::LeftButton);
        fermerModales();
    });
    m.MenuAjouterCassette->trigger();
}

void placement(Banc& b, Moniteur& m, bool reussite) {
    puis([&b, reussite] {
        AjoutFilm* f = AjoutFilm::instance();
        QVERIFY(f);
        remplir(*f, {"Cléo de 5 à 7", "Agnès Varda", "Corinne Marchand", "00:50:00", "1962", "France",
                     "Drame", "Deux heures à Paris."});
        b.repondeur.attendreFichier(b.dossier.fichier("choisie.jpg"));
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        puis([&b, reussite] {
            if (reussite)
                puis([] { QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton); });
            else
                b.repondeur.attendre();
            QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
            fermerModales();
        });
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
    });
    m.MenuAjouterFilm->trigger();
}

void modification(Banc& b, Moniteur& m, bool) {
    puis([&b] {
        AjoutFilm* f = AjoutFilm::instance();
        QVERIFY(f);
        f->TxtTitre->setPlainText("Alpha, version longue");
        b.repondeur.attendreFichier(b.dossier.fichier("choisie.jpg"));
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        b.repondeur.attendre(); // modified, or why not
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        fermerModales();
    });
    m.MenuModifFilm->trigger();
}

void effacementFilm(Banc& b, Moniteur& m, bool reussite) {
    b.repondeur.attendre(Messages::Oui);
    if (!reussite)
        b.repondeur.attendre();
    QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
}

void effacementK7(Banc& b, Moniteur& m, bool reussite) {
    visualiser(m, [&b, reussite](VisuK7& v) {
        choisir(v, "3");
        b.repondeur.attendre(Messages::Oui);
        if (!reussite)
            b.repondeur.attendre();
        QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
        if (!reussite) // the viewer still shows the cassette and its films
            QCOMPARE(entrees(*v.ComboK7) << v.lblNumK7->text() << barre(v),
                     (QStringList{"1", "2", "3", "3", "R00:30:00 R00:30:00 R00:30:00 B01:30:00"}));
    });
}

// After a deletion: the catalogue, the posters, the main window and the film list agree.
void verifier(const Banc& b, const Moniteur& m, const QPointer<ListeFilm>& l, const QStringList& places,
              const QString& montre) {
    QCOMPARE(placements(), places);
    QCOMPARE(b.affiches(), colonne("SELECT IdFilm || '.jpg' FROM Film ORDER BY 1")); // theirs, no other
    QCOMPARE(b.dossier.invariants(), QStringList());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(m.LblTitre->text(), montre);
    QCOMPARE(etat(b, m), QString(places.isEmpty() ? "aucun film" : "juste"));
    QCOMPARE(m.BtnNextFilm->isEnabled(), m.FilmPresent && !m.ListeOuverte);
    if (l && !places.isEmpty()) {
        QStringList titres;
        for (const QString& p : places)
            titres << p.section(':', 2);
        titres.sort();
        QCOMPARE(lignes(*l->TableFilm, 1), titres);
        QCOMPARE(l->TableFilm->TextMatrix(l->TableFilm->Row(), 0), montre);
        QVERIFY(l->SuiviActif);
    } else if (m.ListeOuverte || ListeFilm::instance()) {
        QTRY_VERIFY(!ListeFilm::instance() && !m.ListeOuverte);
    }
}

} // namespace

class TestEcriture : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Pannes::programmer(0); }

    // The film deleted with the button, the menu or after a click in the list ("geste"), then
    // cassette 1 afterwards ("Status TempsRestant NBFilm"), the placements left and the title shown.
    // The list loses the row and the main window follows the row the list moves to.
    void effacerFilm_data() {
        table(QStringLiteral(R"(
            cas                        | cassettes | titre | geste | k7 | places | montre
            seul film de sa cassette   | FILM01:00:00Seul/02:00:00\nFILM01:00:00Autre/02:00:00 | Seul | bouton | 03:00:00 03:00:00 0 | 2:1:Autre | Autre
            entre deux plages libres   | FILM00:30:00Avant/00:20:00/FILM01:00:00Milieu/00:40:00/FILM00:30:00Après | Milieu | menu | FILM00:30:00Avant/02:00:00/FILM00:30:00Après 02:00:00 2 | 1:1:Avant;1:2:Après | Après
            milieu de trois films      | FILM01:00:00Un/FILM01:00:00Deux/FILM01:00:00Trois/01:00:00 | Deux | bouton | FILM01:00:00Un/01:00:00/FILM01:00:00Trois/01:00:00 02:00:00 2 | 1:1:Un;1:2:Trois | Trois
            premier film, bande pleine | FILM01:00:00Un/FILM02:00:00Deux/FILM01:00:00Trois | Un | menu | 01:00:00/FILM02:00:00Deux/FILM01:00:00Trois 01:00:00 2 | 1:1:Deux;1:2:Trois | Deux
            dernier film du catalogue  | FILM01:00:00Seul/02:00:00\n03:00:00 | Seul | bouton | 03:00:00 03:00:00 0 | | LE TITRE
            liste, première ligne      | FILM00:30:00Alpha/FILM00:30:00Bravo/FILM00:30:00Charlie/02:30:00 | Alpha | liste | 00:30:00/FILM00:30:00Bravo/FILM00:30:00Charlie/02:30:00 03:00:00 2 | 1:1:Bravo;1:2:Charlie | Bravo
            liste, dernière ligne      | FILM00:30:00Alpha/FILM00:30:00Bravo/FILM00:30:00Charlie/02:30:00 | Charlie | liste | FILM00:30:00Alpha/FILM00:30:00Bravo/03:00:00 03:00:00 2 | 1:1:Alpha;1:2:Bravo | Bravo
            liste, dernier film        | FILM00:30:00Alpha/03:30:00 | Alpha | liste | 04:00:00 04:00:00 0 | | LE TITRE
        )"));
    }

    // No first, which changes nothing; then Yes.
    void effacerFilm() {
        auto [cassettes, titre, geste, k7, lieux, montre] =
            lire({"cassettes", "titre", "geste", "k7", "places", "montre"});
        const QStringList places = lieux.split(';', Qt::SkipEmptyParts);
        const bool menu = geste == "menu";
        Banc b;
        catalogue(cassettes);
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        if (geste == "liste")
            m.MenuListeFilm->trigger();
        QPointer<ListeFilm> l = ListeFilm::instance();
        if (l)
            cliquerLigne(*l->TableFilm, int(lignes(*l->TableFilm, 1).indexOf(titre)) + 1);
        montrer(m, titre);
        const QStringList avant = DossierTest::tout();
        const auto affichesAvant = contenuAffiches(b);
        const auto effacer = [&] {
            menu ? m.MenuEffacerFilm->trigger() : QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        };
        b.repondeur.attendre(Messages::Non);
        effacer();
        QCOMPARE(
            b.repondeur.messages(),
            (Boites{{QString("Etes-vous sûr de vouloir effacer le film :\n\n") + titre, Messages::OuiNon}}));
        QCOMPARE(DossierTest::tout(), avant);
        QCOMPARE(contenuAffiches(b), affichesAvant);

        b.repondeur.attendre(Messages::Oui);
        if (places.isEmpty()) // no film left
            b.repondeur.attendre();
        effacer();
        QCOMPARE(b.repondeur.restantes(), 0);
        QCOMPARE(ligneK7(1), k7.replace(' ', '|'));
        verifier(b, m, l, places, montre);
    }

    // No first, then Yes, in the viewer.
    // The cassette deleted, the film list open or not, then the placements left, the viewer's entries
    // afterwards (none once it closed) and the title shown.
    void effacerCassette_data() {
        table(QStringLiteral(R"(
            cas                                | cassettes | k7 | liste | places | restantes | montre
            cassette vide                      | FILM01:00:00Alpha/FILM01:00:00Bravo/01:00:00\n03:00:00 | 2 | | 1:1:Alpha;1:2:Bravo | 1 | Alpha
            cassette avec films                | 03:00:00\nFILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/00:30:00\nFILM01:00:00Charlie/FILM01:00:00Delta/01:00:00 | 2 | | 3:1:Charlie;3:2:Delta | 1;3 | Charlie
            cassette avec films, liste ouverte | 03:00:00\nFILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/00:30:00\nFILM01:00:00Charlie/FILM01:00:00Delta/01:00:00 | 2 | oui | 3:1:Charlie;3:2:Delta | 1;3 | Charlie
            plus aucun film, liste ouverte     | FILM01:00:00Alpha/02:00:00\n03:00:00 | 1 | oui | | 2 | LE TITRE
            dernière cassette, liste ouverte   | FILM01:00:00Alpha/FILM00:30:00Bravo/01:30:00 | 1 | oui | | | LE TITRE
            dernière cassette, vide            | 03:00:00 | 1 | | | | LE TITRE
        )"));
    }

    void effacerCassette() {
        const auto [cassettes, k7, ouverte, places, reste, montre] =
            lire({"cassettes", "k7", "liste", "places", "restantes", "montre"});
        const bool liste = !ouverte.isEmpty();
        const QStringList restantes = reste.split(';', Qt::SkipEmptyParts);
        Banc b;
        catalogue(cassettes);
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        if (liste)
            m.MenuListeFilm->trigger();
        QPointer<ListeFilm> l = ListeFilm::instance();
        const QStringList avant = DossierTest::tout();
        QStringList autres = b.dossier.contenu("K7");
        autres.removeIf([&](const QString& r) { return r.startsWith(k7 + '|'); });
        QStringList vues;
        visualiser(m, [&](VisuK7& v) {
            choisir(v, k7);
            b.repondeur.attendre(Messages::Non);
            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
            vues << (DossierTest::tout() == avant ? "inchangé" : "changé");
            b.repondeur.attendre(Messages::Oui);
            if (restantes.isEmpty())
                b.repondeur.attendre();
            // While the list is repainted film by film, the viewer takes no other choice.
            if (liste)
                QTimer::singleShot(0, &v, [&] {
                    vues << (v.BtnEffacerK7->isEnabled() ? "libre" : "en attente");
                    QTest::keyClick(v.ComboK7, Qt::Key_Down);
                });
            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
            QVERIFY(v.ComboK7->isEnabled() && v.BtnEffacerK7->isEnabled());
            vues << entrees(*v.ComboK7) << v.lblNumK7->text();
        });
        QVERIFY(b.repondeur.textes().value(1).contains("la cassette N°" + k7 + " "));
        QCOMPARE(b.repondeur.restantes(), 0); // every box expected shown, the empty catalogue's too
        QCOMPARE(vues, QStringList{"inchangé"} + QStringList(liste, "en attente") + restantes +
                           QStringList{restantes.value(0, "0")});
        QCOMPARE(b.dossier.contenu("K7"), autres);
        QCOMPARE(m.K7Presente, !restantes.isEmpty());
        verifier(b, m, l, places.split(';', Qt::SkipEmptyParts), montre);
    }

    // Numbers past what 32 bits hold: cassette k7 holds films `film` - 1 and `film` with two hours
    // free between; cassette 1 holds films 1 and 2, where a cut to 32 bits would land.
    void grandsNumeros_data() {
        QTest::addColumn<qint64>("k7");
        QTest::addColumn<qint64>("film");
        QTest::newRow("cassette 2^31, film 2^32 + 1") << Q_INT64_C(2147483648) << Q_INT64_C(4294967297);
        QTest::newRow("cassette 2^32, film 2^31 - 1") << Q_INT64_C(4294967296) << Q_INT64_C(2147483647);
        QTest::newRow("jusqu'au plus grand numéro")
            << Q_INT64_C(9223372036854775807) << Q_INT64_C(9223372036854775806);
    }

    void grandsNumeros() {
        QFETCH(qint64, k7);
        QFETCH(qint64, film);
        const QString n = QString::number(k7);
        Banc b;
        catalogue("FILM01:00:00Premier/FILM00:50:00Deuxième/00:10:00");
        executer("UPDATE sqlite_sequence SET seq = CASE name WHEN 'K7' THEN ? ELSE ? END",
                 {k7 - 1, film - 2});
        catalogue("FILM01:00:00Ancien/02:00:00/FILM00:30:00Dernier");
        const QString k7Un = ligneK7(1);
        Moniteur& m = b.demarrer();

        // Placed through the screens: only cassette k7 has room for an hour and a half.
        QString vu;
        puis([&] {
            remplir(*AjoutFilm::instance(), {"Nouveau", "", "", "01:30:00", "2001", "", "", ""});
            puis([&] {
                ChoixK7& c = *ChoixK7::instance();
                vu = lignes(*c.TableK7Libre, 4).join(';') + ' ' + barre(c);
                puis([] { QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton); });
                QTest::mouseClick(c.BtnValiderK7, Qt::LeftButton);
                fermerModales();
            });
            QTest::mouseClick(AjoutFilm::instance()->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();
        QCOMPARE(
            (QStringList{vu, ligneK7(k7)} + placements().mid(2) + b.dossier.invariants() +
             colonne("SELECT IdFilm FROM Film WHERE Titre = 'Nouveau'")),
            (QStringList{n + "|03:30:00|2|02:00:00 R01:00:00 J02:00:00 R00:30:00",
                         "FILM01:00:00Ancien/FILM01:30:00Nouveau/00:30:00/FILM00:30:00Dernier|00:30:00|3",
                         n + ":1:Ancien", n + ":2:Nouveau", n + ":3:Dernier", QString::number(film + 1)}));

        // The film list closed on a film: the main window goes back to it by its number.
        m.MenuListeFilm->trigger();
        cliquerLigne(*ListeFilm::instance()->TableFilm, 1);
        ListeFilm::instance()->close();
        QCOMPARE(m.LblTitre->text() + m.lblNumK7->text(), "Ancien" + n);

        montrer(m, "Nouveau");
        b.repondeur.attendre(Messages::Oui);
        QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        QCOMPARE(placements().mid(2) << ligneK7(k7),
                 (QStringList{n + ":1:Ancien", n + ":2:Dernier",
                              "FILM01:00:00Ancien/02:00:00/FILM00:30:00Dernier|02:00:00|2"}));

        visualiser(m, [&](VisuK7& v) {
            choisir(v, n);
            QCOMPARE(barre(v), "R01:00:00 B02:00:00 R00:30:00");
            b.repondeur.attendre(Messages::Oui);
            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
        });
        QCOMPARE(placements() + colonne("SELECT count(*) FROM Film") + b.dossier.invariants() +
                     QStringList({ligneK7(1), m.LblTitre->text() + m.lblNumK7->text()}),
                 (QStringList{"1:1:Premier", "1:2:Deuxième", "2", k7Un, "Premier1"}));
    }

    void pannes_data() {
        QTest::addColumn<quintptr>("commande");
        QTest::addColumn<bool>("liste"); // the film list open beside the main window
        const QList<QPair<const char*, Commande>> commandes = {{"ajout d'une cassette", ajoutK7},
                                                               {"placement d'un film", placement},
                                                               {"modification d'un film", modification},
                                                               {"effacement d'un film", effacementFilm},
                                                               {"effacement d'une cassette", effacementK7}};
        for (const auto& [nom, c] : commandes) {
            QTest::newRow(nom) << quintptr(c) << false;
            QTest::newRow(QByteArray(nom) + " (liste ouverte)") << quintptr(c) << true;
        }
    }

    // The command is run once to count its writes, then once per write with that write failing:
    // the user is told why, the catalogue and the posters are as before, the screens show them.
    void pannes() {
        QFETCH(quintptr, commande);
        QFETCH(bool, liste);
        const auto lancer = reinterpret_cast<Commande>(commande);
        for (int n = 0, ecritures = 1; n <= ecritures; ++n) {
            const QByteArray cas =
                "écriture " + QByteArray::number(n) + " sur " + QByteArray::number(ecritures);
            Banc b;
            catalogue("FILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/01:30:00\nFILM01:00:00Charlie/02:00:00\n"
                      "FILM00:30:00Delta/FILM00:30:00Echo/FILM00:30:00Fox/01:30:00");
            poserAffiches(b);
            image(b.dossier.fichier("choisie.jpg"), Qt::darkGreen);
            const QStringList avant = DossierTest::tout();
            const auto affichesAvant = contenuAffiches(b);
            Moniteur& m = b.demarrer();
            if (liste)
                m.MenuListeFilm->trigger();
            QPointer<ListeFilm> l = ListeFilm::instance();
            QVERIFY(bool(l) == liste);
            const QStringList lignesAvant = l ? lignes(*l->TableFilm, 8) : QStringList();

            Pannes::programmer(n);
            lancer(b, m, n == 0);
            const int compte = Pannes::ecritures();
            Pannes::programmer(0);
            if (n == 0) { // the count
                ecritures = compte;
                QVERIFY(ecritures > 0 && DossierTest::tout() != avant);
                for (const auto& [texte, style] : b.repondeur.messages())
                    QVERIFY2(style != Messages::Critique, qPrintable(texte));
                continue;
            }
            const auto boites = b.repondeur.messages();
            QVERIFY2(!boites.isEmpty() && boites.last().second == Messages::Critique &&
                         boites.last().first.contains("panne simulée") && DossierTest::tout() == avant &&
                         contenuAffiches(b) == affichesAvant && b.dossier.invariants().isEmpty() &&
                         etat(b, m) == "juste" && !QApplication::overrideCursor() &&
                         (!l || lignes(*l->TableFilm, 8) == lignesAvant),
                     cas.constData());
        }
    }

    // Compaction and repair work on a copy: whichever write fails, the catalogue stays whole and
    // in place, and nothing is left beside it.
    void pannesMaintenance_data() {
        QTest::addColumn<bool>("reparation");
        QTest::newRow("compactage") << false;
        QTest::newRow("réparation") << true;
    }

    void pannesMaintenance() {
        QFETCH(bool, reparation);
        DossierTest d;
        d.remplir();
        if (reparation) {
            // Work for every step of the repair: a film without its placement (it goes on a rescue
            // cassette), a placement of a film that is gone, a layout record that is unreadable.
            executer("DELETE FROM FilmK7 WHERE IdFilm = 8");
            executer("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (99, 4, 1)");
            executer("UPDATE K7 SET Status = 'illisible' WHERE IdK7 = 2");
        }
        const QStringList avant = DossierTest::tout();
        Catalogue::fermer();
        const QByteArray octetsAvant = octets(d.catalogue());
        for (int n = 0, ecritures = 1; n <= ecritures; ++n) {
            Pannes::programmer(n);
            const Catalogue::Resultat r = reparation ? Catalogue::Resultat(Catalogue::reparer(d.chemin()))
                                                     : Catalogue::compacter(d.chemin());
            const int compte = Pannes::ecritures();
            Pannes::programmer(0);
            if (n == 0) {
                QVERIFY2(r.ok, qPrintable(r.message));
                ecritures = compte;
                for (const QString& f : QDir(d.chemin()).entryList(QDir::Files))
                    QFile::remove(QDir(d.chemin()).filePath(f));
                QVERIFY(ecrire(d.catalogue(), octetsAvant));
                continue;
            }
            QVERIFY2(!r.ok && r.message.contains("panne simulée"),
                     qPrintable(QString::number(n) + r.message));
            QCOMPARE(QDir(d.chemin()).entryList(QDir::Files), QStringList{"R7Ozire.mdb"});
            QCOMPARE(octets(d.catalogue()), octetsAvant);
        }
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(DossierTest::tout(), avant);
    }
};

QTEST_MAIN(TestEcriture)
#include "tst_ecriture.moc"
