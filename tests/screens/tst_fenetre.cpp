// The main window as the user meets it: the first start and the delivered catalogue, browsing by
// buttons and keys, a catalogue without films, every command of its menus and toolbar on an empty
// and a filled catalogue (Escape closing its form), and the search for a cassette with room.

#include "screens/auxiliary/Introduction.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"

#include "tests/support/Banc.h"

#include <QAction>
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

bool activer(QWidget* w) {
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
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
    // "maj": the delivered empty catalogue is there; "place": what the catalogue's name holds; "ok":
    // "Ok" rather than the close box. Where a folder or a broken link holds the name, the delivered
    // catalogue stays for the start after the user has moved that away. Messages are separated by ";".
    void installation_data() {
        table(QStringLiteral(R"(
            cas                     | maj | place   | ok  | messages
            les deux fichiers       | oui | fichier | oui | Votre ancienne base de donnée a été prise en compte par l'installation;%1
            catalogue livré seul    | oui |         | oui | %1
            catalogue en place seul |     | fichier | oui | %1
            fermé sans Ok           | oui | fichier |     | %1
            dossier                 | oui | dossier | oui | c'est un dossier
            lien cassé              | oui | lien    | oui | lien vers un fichier absent
        )")
                  .arg(AucunFilm));
    }

    void installation() {
        auto [majs, place, oks, liste] = lire({"maj", "place", "ok", "messages"});
        const bool maj = !majs.isEmpty(), ok = !oks.isEmpty();
        const QStringList messages = liste.split(';');
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

    // At start the first title in French order; then "<" and ">", Left and Right, Page Up and Page
    // Down go round the films, whether the toolbar or the summary has the focus. Other keys, and any
    // gesture while the film list holds the browsing buttons, leave the film shown, and so does a
    // modal screen ("k", the cassette search) opened and closed. Without films the start says so
    // and browsing is off.
    void parcours_data() {
        table(QStringLiteral(R"(
            cas                       | contenu | depuis | gestes          | vus
            suivant                   | petit   | outils | > > > > > > > > | alien:1:2:3,Amélie:5:1:2,Brazil:3:4:5,Été:2:1:2,K7 9:3:2:5,K7 10:3:1:5,L'été meurtrier:3:3:5,Zorro:1:1:3,alien:1:2:3
            précédent                 | petit   | outils | < < < < < < < < | alien:1:2:3,Zorro:1:1:3,L'été meurtrier:3:3:5,K7 10:3:1:5,K7 9:3:2:5,Été:2:1:2,Brazil:3:4:5,Amélie:5:1:2,alien:1:2:3
            touches, barre d'outils   | petit   | outils | Left Right PgUp PgDown Right | alien:1:2:3,Zorro:1:1:3,alien:1:2:3,Zorro:1:1:3,alien:1:2:3,Amélie:5:1:2
            touches, résumé           | petit   | résumé | Left Right PgUp PgDown Right | alien:1:2:3,Zorro:1:1:3,alien:1:2:3,Zorro:1:1:3,alien:1:2:3,Amélie:5:1:2
            autres touches sans effet | petit   | résumé | Up Down Home Esc | alien:1:2:3,alien:1:2:3,alien:1:2:3,alien:1:2:3,alien:1:2:3
            liste ouverte             | petit   | liste  | Right k PgDown > Left < | alien:1:2:3,alien:1:2:3,alien:1:2:3,alien:1:2:3,alien:1:2:3,alien:1:2:3
            un seul film, suivant     | solo    | outils | > > k >         | Solo:1:1:2,Solo:1:1:2,Solo:1:1:2,Solo:1:1:2
            un seul film, précédent   | solo    | outils | < <             | Solo:1:1:2,Solo:1:1:2,Solo:1:1:2
            catalogue vide            | vide    | outils | k > Right       | LE TITRE:0:0:1,LE TITRE:0:0:1,LE TITRE:0:0:1
            cassettes sans film       | k7      | résumé | k > Right       | LE TITRE:0:0:1,LE TITRE:0:0:1,LE TITRE:0:0:1
        )"));
    }

    void parcours() {
        auto [contenu, depuis, gestes, vus] = lire({"contenu", "depuis", "gestes", "vus"});
        Banc banc;
        if (contenu == "petit") // the engine tests' small catalogue
            banc.dossier.remplir();
        else if (contenu == "solo")
            banc.dossier.placerFilm(banc.dossier.ajouterCassette("03:00:00"), "Solo", "01:00:00");
        else if (contenu == "k7")
            banc.dossier.ajouterCassette("03:00:00");
        const bool films = contenu == "petit" || contenu == "solo";
        Moniteur& m = banc.demarrer(films ? 0 : 1);
        QCOMPARE(banc.repondeur.textes(), films ? QStringList() : QStringList{AucunFilm});
        QVERIFY(m.K7Presente == (contenu != "vide") && m.FilmPresent == films);
        QVERIFY(QFileInfo(banc.dossier.fichier("Affiche")).isDir()); // made at start
        if (contenu == "petit") // the figures of alien's cassette, and where alien starts on it
            QCOMPARE(QStringList({m.LblDureeK7->text(), m.LblTempsRestant->text(), m.LblNbFilm->text(),
                                  m.LblDebutBande->text(), barre(m)}),
                     (QStringList{"04:00:00", "00:33:00", "2", "Début sur la bande : 01:30:00",
                                  "R01:30:00 R01:57:00 B00:33:00"}));
        if (depuis == "liste")
            m.MenuListeFilm->trigger();
        QVERIFY(activer(&m));
        (depuis == "résumé" ? m.TxtDescription : static_cast<QWidget*>(m.BtnListeFilm))->setFocus();
        QStringList obtenus{fiche(m)};
        for (const QString& g : gestes.split(' ')) {
            if (g == ">" || g == "<") {
                QTest::mouseClick(g == ">" ? m.BtnNextFilm : m.BtnPreviousFilm, Qt::LeftButton);
            } else if (g == "k") {
                puis(fermerModales);
                m.MenuRechercheK7->trigger();
                continue;
            } else {
                QTest::keyClick(m.focusWidget(), QKeySequence(g)[0].key());
            }
            obtenus << fiche(m);
        }
        QCOMPARE(obtenus.join(','), vus);
        const bool parcours = films && depuis != "liste";
        QVERIFY(m.isVisible() && m.BtnNextFilm->isEnabled() == parcours &&
                m.BtnPreviousFilm->isEnabled() == parcours);
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

    // The command opens its own form, or says why not, and writes nothing; Escape closes the form
    // as its close box does, whatever was typed into it.
    void commandes() {
        QFETCH(bool, plein);
        QFETCH(QString, nom);
        QFETCH(QString, attendu);
        Banc banc;
        if (plein)
            banc.dossier.remplir();
        Moniteur& m = banc.demarrer();
        const QStringList avant = DossierTest::tout();
        const bool message = attendu.startsWith('!') || attendu.startsWith('?');
        const bool modeless = attendu == "ListeFilm" || attendu == "Aide";
        if (message)
            banc.repondeur.attendre(attendu.startsWith('?') ? Messages::Non : Messages::Ok);
        QString vu;
        if (!message && !modeless) {
            puis([&] {
                QWidget* w = QApplication::activeModalWidget();
                QVERIFY(w && activer(w));
                vu = w->metaObject()->className();
                if (vu == "AjoutFilm" && m.ModeModif && !m.ModeAjout)
                    vu += " modif";
                taper(w->focusWidget() ? w->focusWidget() : w, "04");
                QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
                QTRY_VERIFY(!QApplication::activeModalWidget());
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
        QStringList ouvertes; // forms of this program shown beside the main window, by class
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != &m && w->isVisible() && qobject_cast<Feuille*>(w))
                ouvertes << w->metaObject()->className();
        }
        QCOMPARE(modeless ? ouvertes : QStringList{vu}, QStringList{message ? QString() : attendu});
        QVERIFY(m.isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(DossierTest::tout(), avant);
    }

    // Typed from the hours on (a completed field hands the typing to the next one): each cassette
    // with one stretch long enough ("number/length/films/stretch"), the least free first, with its
    // best stretch; the first is drawn, another row draws its own cassette.
    void recherche_data() {
        table(QStringLiteral(R"(
            cas                           | touches | lignes                                                                            | dessin
            ouverture, 00:00:00           |         | 5/01:40:00/1/00:20:00 4/02:45:00/1/00:45:00 1/04:00:00/2/00:30:00 3/04:00:00/0/04:00:00 | J00:20:00 R01:00:00 B00:20:00
            00:30:00, temps libre morcelé | 0030    | 4/02:45:00/1/00:45:00 1/04:00:00/2/00:30:00 3/04:00:00/0/04:00:00                       | R02:00:00 J00:45:00
            01:00:00                      | 01      | 1/04:00:00/2/01:30:00 3/04:00:00/0/04:00:00                                             | R01:00:00 B00:30:00 R01:00:00 J01:30:00
            01:45:00, temps libre morcelé | 0145    | 3/04:00:00/0/04:00:00                                                                   | J04:00:00
            aucune, 05:00:00              | 05      |                                                                                         |
        )"));
    }
    void recherche() {
        auto [touches, lignes, dessin] = lire({"touches", "lignes", "dessin"});
        const QStringList attendu =
            lignes.isEmpty() ? QStringList{Aucune} : lignes.replace('/', '|').split(' ');
        Banc b;
        catalogue(Libres);
        Moniteur& m = b.demarrer();
        puis([&] {
            ConsultK7* c = Feuille::chargee<ConsultK7>();
            QVERIFY(c && activer(c));
            QCOMPARE(c->LblHH->text() + c->LblMM->text() + c->LblSS->text(), QString("000000"));
            QTest::mouseClick(c->LblHH, Qt::LeftButton);
            for (const QChar t : touches)
                taper(QApplication::focusWidget(), QString(t));
            Grille& g = *c->TableK7Libre;
            QCOMPARE(banc::lignes(g, 4), attendu);
            QCOMPARE(c->FrmInfosK7->isVisible(), !lignes.isEmpty());
            if (!lignes.isEmpty()) {
                QCOMPARE(c->lblNumK7->text() + ' ' + barre(*c), g.TextMatrix(1, 0) + ' ' + dessin);
                cliquerLigne(g, int(attendu.size()));
                QCOMPARE(c->lblNumK7->text() + ' ' + barre(*c), QString("3 J04:00:00"));
            }
            QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
        });
        QTest::mouseClick(m.BtnRechercheK7, Qt::LeftButton);
        QCOMPARE(b.repondeur.messages().size(), 0);
    }
};

QTEST_MAIN(TestFenetre)
#include "tst_fenetre.moc"
