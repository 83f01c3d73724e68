// The main window as the user meets it: the first start and the delivered catalogue, browsing,
// a catalogue without films, every command of its menus and toolbar on an empty and a filled
// catalogue, and the search for a cassette with room.

#include "screens/auxiliary/Introduction.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"

#include "tests/support/Banc.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace banc;

namespace {

const QString AucunFilm = "Aucun film n'est présent dans la base de donnée !!";
const QString Aucune = "|Aucune     cassette|de     Disponible|";

// Title, cassette, position, segments drawn.
QString fiche(const Moniteur& m) {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(m.LblTitre->text(), m.lblNumK7->text(), m.LblPositionFilm->text())
        .arg(m.shape.UBound() + 1);
}

// Forms of this program shown beside the main window, by class.
QStringList ouvertes(const QWidget* sauf) {
    QStringList l;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != sauf && w->isVisible() && qobject_cast<Feuille*>(w))
            l << w->metaObject()->className();
    }
    return l;
}

// Clicks the hours of the clock, then types wherever the focus goes: a completed field hands the
// typing to the next one.
void taperDans(const ConsultK7& c, const QString& touches) {
    QTest::mouseClick(c.LblHH, Qt::LeftButton);
    for (const QChar t : touches)
        taper(QApplication::focusWidget(), QString(t));
}

// Opens the search from the toolbar; the gesture runs while it is open, then Ok closes it.
void rechercher(Moniteur& m, std::function<void(ConsultK7&)> geste) {
    puis([geste] {
        QPointer<ConsultK7> c = Feuille::chargee<ConsultK7>();
        QVERIFY(c);
        c->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c));
        geste(*c);
        if (c && c->isVisible())
            QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
    });
    QTest::mouseClick(m.BtnRechercheK7, Qt::LeftButton);
}

// Cassette 2 is full; cassette 5 has 40 minutes free in two stretches of 20.
const char* const Libres = "FILM01:00:00A/00:30:00/FILM01:00:00B/01:30:00\nFILM03:00:00Plein\n04:00:00\n"
                           "FILM02:00:00C/00:45:00\n00:20:00/FILM01:00:00D/00:20:00";

// What a command (from the menu, then the toolbar) does on an empty and on a filled catalogue: the
// form it opens, "!" and the information it gives, or "?" and the question it asks (answered No).
struct Commande {
    const char *noms, *vide, *plein;
};
const Commande Commandes[] = {
    {"MenuListeFilm BtnListeFilm", "!Il n'y a pas de film à visualiser, la base est vide", "ListeFilm"},
    {"MenuImprime", "Impression", "Impression"},
    {"MenuAjouterFilm BntAjouterFilm", "AjoutFilm", "AjoutFilm"},
    {"MenuModifFilm BtnModifFilm", "!Il n'y a aucun film à modifier !", "AjoutFilm modif"},
    {"MenuEffacerFilm BtnEffacerFilm", "!Il n'y a aucun film à effacer dans la base !!",
     "?Etes-vous sûr de vouloir effacer le film :\n\nalien"},
    {"MenuRechercheK7 BtnRechercheK7", "ConsultK7", "ConsultK7"},
    {"MenuAjouterCassette BtnAjoutK7", "AjoutK7", "AjoutK7"},
    {"MenuEffacerCassette BtnVisuK7",
     "!Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !", "VisuK7"},
    {"MenuEtiquettes", "!Il n'y a pas de cassette à étiqueter, la base est vide !", "ImpressionEtiquettes"},
    {"MenuAideEnLigne", "Aide", "Aide"},
    {"MenuAPropos", "About", "About"},
};

} // namespace

class TestFenetre : public QObject {
    Q_OBJECT

private slots:
    void installation_data() {
        QTest::addColumn<bool>("maj");      // the delivered empty catalogue is there
        QTest::addColumn<QString>("place"); // what the catalogue's name holds
        QTest::addColumn<bool>("ok");       // "Ok" rather than the close box
        QTest::addColumn<QStringList>("messages");
        const QString ancienne = "Votre ancienne base de donnée a été prise en compte par l'installation";
        QTest::newRow("les deux fichiers") << true << "fichier" << true << QStringList{ancienne, AucunFilm};
        QTest::newRow("catalogue livré seul") << true << "" << true << QStringList{AucunFilm};
        QTest::newRow("catalogue en place seul") << false << "fichier" << true << QStringList{AucunFilm};
        QTest::newRow("fermé sans Ok") << true << "fichier" << false << QStringList{AucunFilm};
        // The delivered catalogue then stays for the start after the user has moved that away.
        QTest::newRow("dossier") << true << "dossier" << true << QStringList{"c'est un dossier"};
        QTest::newRow("lien cassé") << true << "lien" << true << QStringList{"lien vers un fichier absent"};
    }

    void installation() {
        QFETCH(bool, maj);
        QFETCH(QString, place);
        QFETCH(bool, ok);
        QFETCH(QStringList, messages);
        Banc banc;
        const QString neuf = banc.dossier.fichier(Catalogue::NomCatalogueNeuf);
        banc.dossier.ajouterCassette("03:00:00"); // tells the two catalogues apart
        Catalogue::fermer();
        if (place != "fichier")
            QVERIFY(QFile::remove(banc.dossier.catalogue()));
        if (place == "dossier")
            QVERIFY(QDir(banc.dossier.chemin()).mkdir(Catalogue::NomCatalogue));
        if (place == "lien")
            QVERIFY(QFile::link(banc.dossier.fichier("parti.mdb"), banc.dossier.catalogue()));
        if (maj)
            QVERIFY(Catalogue::creerCatalogueVide(neuf));
        const QByteArray avant = octets(banc.dossier.catalogue()), avantMaj = octets(neuf);

        for (int i = 0; i < messages.size(); ++i)
            banc.repondeur.attendre();
        QPointer<Introduction> intro = new Introduction;
        intro->Show();
        ok ? QTest::mouseClick(intro->BtnOK, Qt::LeftButton) : void(intro->close());
        banc.m = Moniteur::instance();
        // The main window follows, however the start-up screen closed.
        QVERIFY(banc.m && banc.m->isVisible() && (!intro || !intro->isVisible()));
        const QStringList textes = banc.repondeur.textes();
        QCOMPARE(textes.size(), messages.size());
        for (int i = 0; i < textes.size(); ++i)
            QVERIFY2(textes[i].contains(messages[i]) && !textes[i].contains("Cannot"), qPrintable(textes[i]));
        if (place == "dossier" || place == "lien") {
            QVERIFY(textes[0].contains(Catalogue::NomCatalogueNeuf));
            QCOMPARE(octets(neuf), avantMaj);
            return;
        }
        QCOMPARE(QFile::exists(neuf), maj && !ok);
        QCOMPARE(octets(banc.dossier.catalogue()), place.isEmpty() ? avantMaj : avant);
        QCOMPARE(banc.m->K7Presente, !place.isEmpty());
        if (ok) { // the next start has nothing left to install
            Introduction::Installation(banc.dossier.chemin());
            QCOMPARE(banc.repondeur.textes(), textes);
        }
    }

    // At start the first title in French order, then each click the next or the previous, round.
    void parcours_data() {
        QTest::addColumn<bool>("petit"); // the engine tests' small catalogue, else a single film
        QTest::addColumn<bool>("suivant");
        QTest::addColumn<QStringList>("vus");
        const QStringList ordre{"alien:1:2:3", "Amélie:5:1:2", "Brazil:3:4:5",          "Été:2:1:2",
                                "K7 9:3:2:5",  "K7 10:3:1:5",  "L'été meurtrier:3:3:5", "Zorro:1:1:3"};
        QStringList arriere{ordre.first()};
        for (int i = ordre.size() - 1; i >= 0; --i)
            arriere << ordre[i];
        QTest::newRow("suivant") << true << true << (ordre + QStringList{ordre.first()});
        QTest::newRow("précédent") << true << false << arriere;
        QTest::newRow("un seul film, suivant") << false << true << QStringList(3, "Solo:1:1:2");
        QTest::newRow("un seul film, précédent") << false << false << QStringList(3, "Solo:1:1:2");
    }

    void parcours() {
        QFETCH(bool, petit);
        QFETCH(bool, suivant);
        QFETCH(QStringList, vus);
        Banc banc;
        if (petit)
            banc.dossier.remplir();
        else
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Solo", "01:00:00");
        Moniteur& m = banc.demarrer();
        QCOMPARE(banc.repondeur.messages().size(), 0);
        if (petit) // the figures of alien's cassette, and where alien starts on it
            QCOMPARE(QStringList({m.LblDureeK7->text(), m.LblTempsRestant->text(), m.LblNbFilm->text(),
                                  m.LblDebutBande->text(), barre(m)}),
                     (QStringList{"04:00:00", "00:33:00", "2", "Début sur la bande : 01:30:00",
                                  "R01:30:00 R01:57:00 B00:33:00"}));
        QStringList obtenus{fiche(m)};
        for (int i = 1; i < vus.size(); ++i) {
            QTest::mouseClick(suivant ? m.BtnNextFilm : m.BtnPreviousFilm, Qt::LeftButton);
            obtenus << fiche(m);
        }
        QCOMPARE(obtenus, vus);
    }

    // Without films: the start says so and browsing is off, even after a modal screen; with the
    // film list open, coming back from one leaves the browsing buttons to the list.
    void sansFilm_data() {
        QTest::addColumn<int>("contenu"); // 0 nothing, 1 cassettes only, 2 films with the list open
        QTest::newRow("catalogue vide") << 0;
        QTest::newRow("cassettes sans film") << 1;
        QTest::newRow("films, liste ouverte") << 2;
    }

    void sansFilm() {
        QFETCH(int, contenu);
        Banc banc;
        if (contenu == 1)
            banc.dossier.ajouterCassette("03:00:00");
        if (contenu == 2)
            banc.dossier.remplir();
        Moniteur& m = banc.demarrer(contenu == 2 ? 0 : 1);
        QCOMPARE(banc.repondeur.textes(), contenu == 2 ? QStringList() : QStringList{AucunFilm});
        QCOMPARE(m.K7Presente, contenu > 0);
        if (contenu == 2)
            m.MenuListeFilm->trigger();
        QCOMPARE(m.FilmPresent, contenu == 2);
        puis(fermerModales);
        m.MenuRechercheK7->trigger();
        QVERIFY(!m.BtnNextFilm->isEnabled() && !m.BtnPreviousFilm->isEnabled());
        QVERIFY(QFileInfo(banc.dossier.fichier("Affiche")).isDir()); // made at start
    }

    void commandes_data() {
        QTest::addColumn<bool>("plein");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("attendu");
        for (bool plein : {false, true}) {
            for (const Commande& c : Commandes) {
                for (const QString& nom : QString(c.noms).split(' '))
                    QTest::addRow("%s %s", plein ? "plein" : "vide", qPrintable(nom))
                        << plein << nom << QString(plein ? c.plein : c.vide);
            }
        }
    }

    // The command opens its own form, or says why not, and writes nothing.
    void commandes() {
        QFETCH(bool, plein);
        QFETCH(QString, nom);
        QFETCH(QString, attendu);
        Banc banc;
        if (plein)
            banc.dossier.remplir();
        Moniteur& m = banc.demarrer();
        const QStringList avant = tout(banc.dossier);
        const bool message = attendu.startsWith('!') || attendu.startsWith('?');
        const bool modeless = attendu == "ListeFilm" || attendu == "Aide";
        if (message)
            banc.repondeur.attendre(attendu.startsWith('?') ? Messages::Non : Messages::Ok);
        QString vu;
        if (!message && !modeless) {
            puis([&] {
                const QWidget* w = QApplication::activeModalWidget();
                QVERIFY(w);
                vu = w->metaObject()->className();
                if (vu == "AjoutFilm" && m.ModeModif && !m.ModeAjout)
                    vu += " modif";
                fermerModales();
            });
        }
        if (auto* a = m.findChild<QAction*>(nom))
            a->trigger();
        else
            QTest::mouseClick(m.findChild<QToolButton*>(nom), Qt::LeftButton);
        QCoreApplication::processEvents();
        if (message)
            QCOMPARE(
                banc.repondeur.messages(),
                (QList<QPair<QString, int>>{
                    {attendu.mid(1), attendu.startsWith('?') ? Messages::OuiNon : Messages::Information}}));
        QCOMPARE(modeless ? ouvertes(&m) : QStringList{vu}, QStringList{message ? QString() : attendu});
        QVERIFY(m.isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(tout(banc.dossier), avant);
    }

    void recherche_data() {
        QTest::addColumn<QString>("touches"); // typed from the hours on
        QTest::addColumn<QStringList>("lignes");
        QTest::addColumn<QString>("dessin"); // the first cassette's bar
        QTest::newRow("ouverture, 00:00:00") << ""
                                             << QStringList{"5|01:40:00|1|00:20:00", "4|02:45:00|1|00:45:00",
                                                            "1|04:00:00|2|00:30:00", "3|04:00:00|0|04:00:00"}
                                             << "J00:20:00 R01:00:00 B00:20:00";
        QTest::newRow("00:30:00, temps libre morcelé")
            << "0030"
            << QStringList{"4|02:45:00|1|00:45:00", "1|04:00:00|2|00:30:00", "3|04:00:00|0|04:00:00"}
            << "R02:00:00 J00:45:00";
        QTest::newRow("01:00:00") << "01" << QStringList{"1|04:00:00|2|01:30:00", "3|04:00:00|0|04:00:00"}
                                  << "R01:00:00 B00:30:00 R01:00:00 J01:30:00";
        QTest::newRow("01:45:00, temps libre morcelé")
            << "0145" << QStringList{"3|04:00:00|0|04:00:00"} << "J04:00:00";
        QTest::newRow("aucune, 05:00:00") << "05" << QStringList{Aucune} << "";
    }

    // Each cassette with one stretch long enough, the least free first, with its best stretch;
    // the first is drawn, another row draws its own cassette.
    void recherche() {
        QFETCH(QString, touches);
        QFETCH(QStringList, lignes);
        QFETCH(QString, dessin);
        Banc b;
        catalogue(Libres);
        Moniteur& m = b.demarrer();
        rechercher(m, [&](ConsultK7& c) {
            QCOMPARE(c.LblHH->text() + c.LblMM->text() + c.LblSS->text(), QString("000000"));
            taperDans(c, touches);
            Grille& g = *c.TableK7Libre;
            QCOMPARE(banc::lignes(g, 4), lignes);
            QCOMPARE(c.FrmInfosK7->isVisible(), lignes.first() != Aucune);
            if (lignes.first() == Aucune)
                return;
            QCOMPARE(c.lblNumK7->text() + ' ' + barre(c), g.TextMatrix(1, 0) + ' ' + dessin);
            cliquerLigne(g, int(lignes.size()));
            QCOMPARE(c.lblNumK7->text() + ' ' + barre(c), QString("3 J04:00:00"));
        });
        QCOMPARE(b.repondeur.messages().size(), 0);
    }
};

QTEST_MAIN(TestFenetre)
#include "tst_fenetre.moc"
