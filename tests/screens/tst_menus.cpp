// Every command of the main window, from its menus and its toolbar, on an empty and on a filled
// catalogue; the help screen's panels, the about box, and quitting.

#include "catalogue/Export.h"
#include "screens/auxiliary/About.h"
#include "screens/auxiliary/Aide.h"
#include "screens/common/Dialogues.h"
#include "screens/film/AjoutK7.h"
#include "screens/views/ListeFilm.h"
#include "tests/support/Banc.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace banc;

namespace {

// What a command does, on an empty and on a filled catalogue: the form it opens, "!" and the
// information it gives, or "?" and the question it asks (answered No). Quitting is tested below.
struct Commande {
    const char* nom;
    const char* libelle; // menu caption or button hint
    const char* vide;
    const char* plein;
};
const Commande Commandes[] = {
    {"MenuListeFilm", "&Liste des films", "!Il n'y a pas de film à visualiser, la base est vide",
     "ListeFilm"},
    {"MenuImprime", "&Imprimer la liste des films", "Impression", "Impression"},
    {"MenuAjouterFilm", "&Ajouter un film", "AjoutFilm", "AjoutFilm"},
    {"MenuModifFilm", "&Modifier le film courant", "!Il n'y a aucun film à modifier !", "AjoutFilm"},
    {"MenuEffacerFilm", "&Effacer le film courant", "!Il n'y a aucun film à effacer dans la base !!",
     "?Etes-vous sûr de vouloir effacer le film :\n\nalien"},
    {"MenuRechercheK7", "&Rechercher une cassette de libre", "ConsultK7", "ConsultK7"},
    {"MenuAjouterCassette", "&Ajouter une cassette", "AjoutK7", "AjoutK7"},
    {"MenuEffacerCassette", "&Visualiser/Effacer une cassette",
     "!Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !", "VisuK7"},
    {"MenuEtiquettes", "&Imprimer les étiquettes…",
     "!Il n'y a pas de cassette à étiqueter, la base est vide !", "ImpressionEtiquettes"},
    {"MenuAideEnLigne", "&Aide sur les principales fonctionnalités", "Aide", "Aide"},
    {"MenuAPropos", "A &propos de Cassetron", "About", "About"},
    {"BtnListeFilm", "Liste des Films", "!Il n'y a pas de film à visualiser, la base est vide", "ListeFilm"},
    {"BntAjouterFilm", "Ajouter un Film", "AjoutFilm", "AjoutFilm"},
    {"BtnModifFilm", "Modifier un Film", "!Il n'y a aucun film à modifier !", "AjoutFilm"},
    {"BtnEffacerFilm", "Effacer un Film", "!Il n'y a aucun film à effacer dans la base !!",
     "?Etes-vous sûr de vouloir effacer le film :\n\nalien"},
    {"BtnRechercheK7", "Rechercher une Cassette de libre", "ConsultK7", "ConsultK7"},
    {"BtnAjoutK7", "Ajouter une Cassette", "AjoutK7", "AjoutK7"},
    {"BtnVisuK7", "Visualiser/Effacer une Cassette",
     "!Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !", "VisuK7"},
};

// Forms of this program shown beside the main window, by class.
QStringList ouvertes(const QWidget* sauf) {
    QStringList l;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != sauf && w->isVisible() && qobject_cast<Feuille*>(w))
            l << QString::fromLatin1(w->metaObject()->className());
    }
    l.sort();
    return l;
}

// Runs a command as the user does: the menu entry, or the toolbar button.
bool lancer(Moniteur& m, const QString& nom, QString* libelle) {
    if (auto* a = m.findChild<QAction*>(nom)) {
        *libelle = a->text();
        a->trigger();
        return true;
    }
    if (auto* b = m.findChild<QToolButton*>(nom)) {
        *libelle = b->toolTip();
        QTest::mouseClick(b, Qt::LeftButton);
        return true;
    }
    return false;
}

// Panels showing, and which one is on top at the middle of the panels.
QString panneaux(const Aide& aide) {
    QString s;
    for (int i = 0; i < 6; ++i) {
        if (aide.Ecran[i]->isVisible())
            s += QString::number(i);
    }
    QWidget* dessus = aide.childAt(aide.Ecran[0]->geometry().center());
    for (int i = 0; i < 6; ++i) {
        if (dessus && (dessus == aide.Ecran[i] || aide.Ecran[i]->isAncestorOf(dessus)))
            s += QStringLiteral(" dessus %1").arg(i);
    }
    return s;
}

QPushButton* bouton(const Aide& aide, const QString& libelle) {
    for (QPushButton* b : aide.findChildren<QPushButton*>()) {
        if (b->text() == libelle)
            return b;
    }
    return nullptr;
}

} // namespace

class TestMenus : public QObject {
    Q_OBJECT

private slots:
    void commandes_data() {
        QTest::addColumn<bool>("plein");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("libelle");
        QTest::addColumn<QString>("attendu");
        for (bool plein : {false, true}) {
            for (const Commande& c : Commandes) {
                QTest::addRow("%s %s", plein ? "plein" : "vide", c.nom)
                    << plein << QString::fromLatin1(c.nom) << QString::fromUtf8(c.libelle)
                    << QString::fromUtf8(plein ? c.plein : c.vide);
            }
        }
    }
    void commandes() {
        QFETCH(bool, plein);
        QFETCH(QString, nom);
        QFETCH(QString, libelle);
        QFETCH(QString, attendu);
        Banc banc;
        if (plein)
            banc.dossier.remplir();
        Moniteur& m = banc.demarrer();
        const QStringList avant = tout(banc.dossier);
        const bool message = attendu.startsWith(QLatin1Char('!')) || attendu.startsWith(QLatin1Char('?'));
        const bool modeless = attendu == QLatin1String("ListeFilm") || attendu == QLatin1String("Aide");
        if (message)
            banc.repondeur.attendre(attendu.startsWith(QLatin1Char('?')) ? Messages::Non : Messages::Ok);
        QString modale;
        bool modeModif = false;
        if (!message && !modeless) {
            puis([&] {
                QWidget* w = QApplication::activeModalWidget();
                QVERIFY(w);
                modale = QString::fromLatin1(w->metaObject()->className());
                modeModif = m.ModeModif && !m.ModeAjout;
                fermerModales();
            });
        }

        QString vu;
        QVERIFY(lancer(m, nom, &vu));
        QCoreApplication::processEvents();

        QCOMPARE(vu, libelle);
        if (message) {
            const int style = attendu.startsWith(QLatin1Char('?')) ? Messages::OuiNon : Messages::Information;
            QCOMPARE(banc.repondeur.messages(), (QList<QPair<QString, int>>{{attendu.mid(1), style}}));
            QCOMPARE(ouvertes(&m), QStringList());
        } else if (modeless) {
            QCOMPARE(ouvertes(&m), QStringList{attendu});
            QVERIFY(!QApplication::activeModalWidget());
        } else {
            QCOMPARE(modale, attendu);
            QCOMPARE(ouvertes(&m), QStringList());
            if (modale == QLatin1String("AjoutFilm"))
                QCOMPARE(modeModif, nom.contains(QLatin1String("Modif")));
        }
        QVERIFY(m.isVisible());
        QCOMPARE(banc.repondeur.restantes(), 0);
        QCOMPARE(tout(banc.dossier), avant);
    }

    // Without cassette the viewer says so; once one is added it opens.
    void cassettePuisVisualiser() {
        Banc banc;
        Moniteur& m = banc.demarrer();
        banc.repondeur.attendre();
        m.MenuEffacerCassette->trigger();
        banc.repondeur.attendre();
        puis([] { QTest::mouseClick(Feuille::chargee<AjoutK7>()->BtnAjouterK7, Qt::LeftButton); });
        m.MenuAjouterCassette->trigger();
        QString vu;
        puis([&] {
            vu = QString::fromLatin1(QApplication::activeModalWidget()->metaObject()->className());
            fermerModales();
        });
        m.MenuEffacerCassette->trigger();
        QCOMPARE(banc.repondeur.textes(),
                 (QStringList{"Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !",
                              "Une nouvelle cassette à été ajoutée :\n\nSon numéro est le 1"}));
        QCOMPARE(vu, QStringLiteral("VisuK7"));
        QCOMPARE(banc.dossier.invariants(), QStringList());
    }

    // The export asks before replacing a former file, then says where it wrote and how much; the
    // folder is offered again next time.
    void exporter() {
        Banc banc;
        banc.dossier.remplir();
        Moniteur& m = banc.demarrer();
        QTemporaryDir sortie;
        const QString films = sortie.filePath(Catalogue::Export::NomFilms);
        const QString cassettes = sortie.filePath(Catalogue::Export::NomCassettes);
        QVERIFY(QFile(cassettes).open(QIODevice::WriteOnly));
        for (auto reponse : {Messages::Non, Messages::Oui}) {
            banc.repondeur.attendreFichier(sortie.path());
            banc.repondeur.attendre(reponse);
            if (reponse == Messages::Oui)
                banc.repondeur.attendre();
            m.MenuExporter->trigger();
            QCOMPARE(QFileInfo::exists(films), reponse == Messages::Oui);
        }
        banc.repondeur.attendreFichier(QString());
        m.MenuExporter->trigger();
        const auto vus = banc.repondeur.messages();
        QCOMPARE(vus.size(), 3);
        QCOMPARE(vus[0], vus[1]);
        QVERIFY2(vus[0].first.contains(QStringLiteral("« Cassetron - cassettes.csv ».")),
                 qPrintable(vus[0].first));
        QCOMPARE(vus[0].second, int(Messages::Question));
        QVERIFY2(vus[2].first.contains(QStringLiteral("8 films dans « Cassetron - films.csv »\n5 cassettes")),
                 qPrintable(vus[2].first));
        QCOMPARE(vus[2].second, int(Messages::Information));
        QVERIFY(QFileInfo(cassettes).size() > 0);
        QCOMPARE(Dialogues::dossierPropose(QStringLiteral("Exporter le catalogue")), sortie.path());
    }

    // One list, however often it is asked for; quitting closes it with the main window.
    void listeEtQuitter_data() {
        QTest::addColumn<bool>("parMenu"); // else the close box
        QTest::newRow("Quitter") << true;
        QTest::newRow("case de fermeture") << false;
    }
    void listeEtQuitter() {
        QFETCH(bool, parMenu);
        Banc banc;
        banc.dossier.remplir();
        Moniteur& m = banc.demarrer();
        m.MenuListeFilm->trigger();
        QPointer<ListeFilm> liste = ListeFilm::instance();
        QTest::mouseClick(m.BtnListeFilm, Qt::LeftButton);
        m.MenuListeFilm->trigger();
        QCOMPARE(ouvertes(&m), QStringList{"ListeFilm"});
        QCOMPARE(ListeFilm::instance(), liste.data());
        QVERIFY(m.ListeOuverte);
        if (parMenu)
            m.MenuQuitter->trigger();
        else
            m.close();
        QVERIFY(!m.isVisible());
        QVERIFY(!liste || !liste->isVisible());
        QCOMPARE(ouvertes(nullptr), QStringList());
    }

    // Each button shows its own panel and hides the others; until the first press all six lie
    // stacked with the principles on top.
    void aide_data() {
        QTest::addColumn<QStringList>("boutons");
        QTest::addColumn<QStringList>("vus"); // at opening, then after each press
        const QString tous = QStringLiteral("012345 dessus 0");
        QTest::newRow("à l'ouverture") << QStringList() << QStringList{tous};
        QTest::newRow("Ajouter un Film puis Principes")
            << QStringList{"Ajouter un Film", "Principes"} << QStringList{tous, "4 dessus 4", "0 dessus 0"};
        QTest::newRow("chaque bouton")
            << QStringList{"Visualiser/Effacer une Cassette", "Rechercher une Cassette de libre",
                           "Visualiser un Film", "Ecran Principal", "Ecran Principal"}
            << QStringList{tous, "5 dessus 5", "3 dessus 3", "2 dessus 2", "1 dessus 1", "1 dessus 1"};
    }
    void aide() {
        QFETCH(QStringList, boutons);
        QFETCH(QStringList, vus);
        Banc banc;
        Moniteur& m = banc.demarrer();
        m.MenuAideEnLigne->trigger();
        Aide* aide = Aide::instance();
        QVERIFY(aide && aide->isVisible() && !aide->isModal());
        QCOMPARE(aide->windowTitle(),
                 QStringLiteral("Aide sur les principales fonctionnalités de Cassetron"));
        // Each panel carries its title twice, shadowed.
        const char* const titres[] = {"CASSETRON",          "Ecran Principal",
                                      "Visualiser un Film", "Rechercher une Cassette de libre",
                                      "Ajouter un Film",    "Visualiser/Effacer une Cassette"};
        for (int i = 0; i < 6; ++i) {
            int n = 0;
            for (const QLabel* l : aide->Ecran[i]->findChildren<QLabel*>())
                n += l->text() == QString::fromUtf8(titres[i]);
            QVERIFY2(n == 2, titres[i]);
        }
        QStringList obtenus{panneaux(*aide)};
        for (const QString& b : boutons) {
            QPushButton* p = bouton(*aide, b);
            QVERIFY2(p, qPrintable(b));
            QTest::mouseClick(p, Qt::LeftButton);
            obtenus << panneaux(*aide);
        }
        QCOMPARE(obtenus, vus);
    }

    // Asked again, the help is the same window brought to the front, on the panel it showed;
    // closed and opened again, it starts afresh.
    void aideUneSeuleFenetre() {
        Banc banc;
        Moniteur& m = banc.demarrer();
        m.MenuAideEnLigne->trigger();
        QPointer<Aide> aide = Aide::instance();
        aide->AfficheEcran(3);
        m.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&m));
        m.MenuAideEnLigne->trigger();
        QCOMPARE(Aide::instance(), aide.data());
        QCOMPARE(ouvertes(&m), QStringList{"Aide"});
        QCOMPARE(panneaux(*aide), QStringLiteral("3 dessus 3"));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(aide.data()));

        aide->close();
        QVERIFY(!Aide::instance());
        m.MenuAideEnLigne->trigger();
        QVERIFY(Aide::instance() && Aide::instance() != aide);
        QCOMPARE(panneaux(*Aide::instance()), QStringLiteral("012345 dessus 0"));
    }

    void about() {
        Banc banc;
        Moniteur& m = banc.demarrer();
        QStringList textes;
        puis([&] {
            auto* a = qobject_cast<About*>(QApplication::activeModalWidget());
            QVERIFY(a && !a->Image2->pixmap().isNull());
            for (const QLabel* l : {a->LblAuteur, a->LblContact, a->LblDiffusion})
                QVERIFY(!l->text().isEmpty());
            textes << a->windowTitle() << a->BtnOK->text()
                   << (a->Text1->toPlainText().size() > 2000 ? "dialogue" : "");
            for (const QLabel* l : {a->Label2, a->Label3, a->Label1, a->Label11, a->Label5})
                textes << l->text();
            QTest::mouseClick(a->BtnOK, Qt::LeftButton);
        });
        m.MenuAPropos->trigger();
        QCOMPARE(textes, (QStringList{"A propos de Cassetron", "Ok", "dialogue", "CASSETRON", "CASSETRON",
                                      "Version 1.1", "Mai 1999", "Utilisez ce logiciel pour éviter ça !!"}));
        QVERIFY(!Feuille::chargee<About>());
        QVERIFY(m.isVisible());
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
