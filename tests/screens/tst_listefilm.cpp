// The film list beside the main window: its size, its sorting by header clicks, and how it
// follows and drives the main window's film.

#include "screens/film/ChoixK7.h"
#include "screens/views/ListeFilm.h"
#include "tests/support/Banc.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolButton>

using namespace banc;

namespace {

const int Titre = 0, Date = 4, Id = 7;

enum Geste { Clic, Bord, Glisse }; // on a heading: a click, its border dragged, a drag from it

// One column of the grid, top to bottom.
QStringList colonne(const Grille& g, int c) {
    QStringList l;
    for (int r = 1; r < g.Rows(); ++r)
        l << g.TextMatrix(r, c);
    return l;
}

// Films with years that sort differently as numbers and as text.
void films(DossierTest& d, int nombre) {
    const char* const titres[] = {"Zorro",     "alien",  "Été",      "K7 10",
                                  "K7 9",      "Brazil", "Amélie",   "Metropolis",
                                  "Nosferatu", "Orfeu",  "Playtime", "Quai des brumes"};
    const char* const dates[] = {"1975", "1979", "983", "2001", "2000", "1985",
                                 "2001", "1927", "922", "1959", "1967", "1938"};
    qint64 k7 = d.ajouterCassette(QStringLiteral("04:00:00"));
    for (int i = 0; i < nombre; ++i) {
        if (i % 4 == 0 && i > 0)
            k7 = d.ajouterCassette(QStringLiteral("04:00:00"));
        d.placerFilm(k7, QString::fromUtf8(titres[i]), QStringLiteral("00:50:00"), QString(),
                     QString::fromUtf8(dates[i]));
    }
}

ListeFilm& ouvrir(Moniteur& m) {
    m.MenuListeFilm->trigger();
    ListeFilm* l = ListeFilm::instance();
    if (!l)
        qFatal("la liste des films ne s'est pas ouverte");
    return *l;
}

} // namespace

class TestListeFilm : public QObject {
    Q_OBJECT

private slots:
    void ouverture_data() {
        QTest::addColumn<int>("nombre");
        QTest::addColumn<int>("suivants"); // clicks on the main window's next button first
        QTest::addColumn<int>("visibles");
        QTest::newRow("douze films") << 12 << 5 << 9;
        QTest::newRow("trois films") << 3 << 2 << 3;
    }

    void ouverture() {
        QFETCH(int, nombre);
        QFETCH(int, suivants);
        QFETCH(int, visibles);
        Banc b;
        films(b.dossier, nombre);
        Moniteur& m = b.demarrer();
        for (int i = 0; i < suivants; ++i)
            QTest::mouseClick(m.BtnNextFilm, Qt::LeftButton);
        const QString courant = m.LblTitre->text();

        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        QVERIFY(l.isVisible() && m.ListeOuverte && l.SuiviActif);
        QVERIFY(!m.BtnNextFilm->isEnabled() && !m.BtnPreviousFilm->isEnabled());
        QCOMPARE(g.Rows(), nombre + 1);
        QCOMPARE(lignesVisibles(g), visibles);
        QCOMPARE(g.verticalScrollBar()->maximum() > 0, nombre > 9);
        // The window fits the grid: no empty row's height below the last row in sight.
        QVERIFY(g.viewport()->height() - visibles * g.rowHeight(0) < g.rowHeight(0));
        QCOMPARE(l.size(), QSize(g.width(), g.geometry().bottom() + 1));
        // Sorted by title, the main window's film selected in view, the identifier beyond the edge.
        QCOMPARE(g.TextMatrix(1, Titre), QStringLiteral("alien"));
        QCOMPARE(g.TextMatrix(g.Row(), Titre), courant);
        QCOMPARE(g.ColSel(), g.Cols() - 1);
        QVERIFY(g.viewport()->rect().contains(g.visualRect(g.model()->index(g.Row() - 1, 0))));
        QCOMPARE(m.LblTitre->text(), courant);
    }

    void entete_data() {
        QTest::addColumn<int>("geste");
        QTest::addColumn<int>("dx"); // how far the mouse goes while the button is down
        QTest::addColumn<bool>("trie");
        QTest::newRow("clic") << int(Clic) << 0 << true;
        QTest::newRow("bord élargi") << int(Bord) << 40 << false;
        QTest::newRow("bord élargi au-delà du bord de la grille") << int(Bord) << 600 << false;
        QTest::newRow("bord rétréci") << int(Bord) << -20 << false;
        QTest::newRow("bord pris puis lâché") << int(Bord) << 0 << false;
        QTest::newRow("glissé sur une autre rubrique") << int(Glisse) << 60 << false;
    }

    // Only a click on a heading sorts; resizing a column leaves the list and the main window as
    // they were, the columns still filling the window.
    void entete() {
        QFETCH(int, geste);
        QFETCH(int, dx);
        QFETCH(bool, trie);
        Banc b;
        films(b.dossier, 12);
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        cliquerLigne(g, 4);
        const QStringList titres = ::colonne(g, Titre);
        const QString courant = m.LblTitre->text();
        QHeaderView* h = g.horizontalHeader();
        const QPoint p(h->sectionViewportPosition(Date) + h->sectionSize(Date) / 2, h->height() / 2);
        if (geste == Bord) {
            tirerBord(g, Date, dx);
            QCOMPARE(h->sectionSize(Date) > 500 / 15, dx > 0); // the border did move
        } else {
            QTest::mousePress(h->viewport(), Qt::LeftButton, {}, p);
            QTest::mouseMove(h->viewport(), p + QPoint(dx, 0));
            QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, p + QPoint(dx, 0));
        }
        QCOMPARE(::colonne(g, Titre) != titres, trie);
        QCOMPARE(g.Row(), trie ? 1 : 4);
        QCOMPARE(m.LblTitre->text(), trie ? g.TextMatrix(1, Titre) : courant);
        QVERIFY(colonnesAjustees(g));
    }

    void identifiant_data() {
        QTest::addColumn<int>("elargi"); // pixels added to the titles' column first
        QTest::addColumn<QList<int>>("touches");
        const QList<int> droite(9, Qt::Key_Right);
        QTest::newRow("flèche à droite") << 0 << droite;
        QTest::newRow("fin") << 0 << QList<int>{Qt::Key_End, Qt::Key_Tab, Qt::Key_Right};
        QTest::newRow("titres élargis") << 150 << droite;
    }

    // The identifier of each film never comes into view, whatever the keys or the widths.
    void identifiant() {
        QFETCH(int, elargi);
        QFETCH(QList<int>, touches);
        Banc b;
        films(b.dossier, 3);
        Moniteur& m = b.demarrer();
        Grille& g = *ouvrir(m).TableFilm;
        if (elargi)
            tirerBord(g, Titre, elargi);
        for (int k : touches)
            QTest::keyClick(&g, Qt::Key(k));
        QVERIFY(g.currentIndex().column() < Id);
        QCOMPARE(g.horizontalScrollBar()->value(), 0);
        QVERIFY(colonnesAjustees(g));
        QVERIFY(!g.viewport()->rect().intersects(g.visualRect(g.model()->index(0, Id))));
    }

    void tri_data() {
        QTest::addColumn<QList<int>>("clics"); // header columns clicked in turn
        QTest::addColumn<int>("colonne");      // the column shown after the clicks
        QTest::addColumn<QStringList>("ordre");
        const QStringList croissant{"922",  "983",  "1927", "1938", "1959", "1967",
                                    "1975", "1979", "1985", "2000", "2001", "2001"};
        QStringList decroissant = croissant;
        std::reverse(decroissant.begin(), decroissant.end());
        QTest::newRow("Date, croissant") << QList<int>{Date} << Date << croissant;
        QTest::newRow("Date, décroissant") << QList<int>{Date, Date} << Date << decroissant;
        QTest::newRow("Date, trois clics") << QList<int>{Date, Date, Date} << Date << croissant;
        const QStringList titres{"alien", "Amélie",   "Brazil",          "Été",
                                 "K7 9",  "K7 10",    "Metropolis",      "Nosferatu",
                                 "Orfeu", "Playtime", "Quai des brumes", "Zorro"};
        QStringList inverses = titres;
        std::reverse(inverses.begin(), inverses.end());
        QTest::newRow("Titre après Date") << QList<int>{Date, Titre} << Titre << titres;
        QTest::newRow("Titre, décroissant") << QList<int>{Titre, Titre} << Titre << inverses;
    }

    // Each sort selects row 1 and shows its film in the main window.
    void tri() {
        QFETCH(QList<int>, clics);
        QFETCH(int, colonne);
        QFETCH(QStringList, ordre);
        Banc b;
        films(b.dossier, 12);
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        for (int c : clics)
            cliquerEntete(g, c);
        QCOMPARE(::colonne(g, colonne), ordre);
        QCOMPARE(g.Row(), 1);
        QCOMPARE(m.LblTitre->text(), g.TextMatrix(1, Titre));
        QCOMPARE(m.LblDate->text(), g.TextMatrix(1, Date));
        QVERIFY(l.SuiviActif);
        // Rows keep their cells together.
        const QStringList ids = ::colonne(g, Id);
        QCOMPARE(QSet<QString>(ids.cbegin(), ids.cend()).size(), 12);
    }

    // A row chosen in the list shows that film, its poster or the placeholder, and its cassette.
    void selection() {
        Banc b;
        films(b.dossier, 6);
        QDir(b.dossier.chemin()).mkpath(QStringLiteral("Affiche"));
        image(b.affiche(3), Qt::red); // "Été"
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        const QStringList titres = ::colonne(g, Titre);
        for (const QString& t : {QStringLiteral("Été"), QStringLiteral("K7 10"), QStringLiteral("alien")}) {
            cliquerLigne(g, int(titres.indexOf(t)) + 1);
            QCOMPARE(m.LblTitre->text(), t);
            const QImage montree = m.Affiche->pixmap().toImage();
            QCOMPARE(montree.pixelColor(5, 5).red() > 200 && montree.pixelColor(5, 5).green() < 80,
                     t == QStringLiteral("Été"));
            const int position =
                ::placements().indexOf(QRegularExpression(QStringLiteral("^\\d+:\\d+:") + t + "$"));
            QCOMPARE(QStringLiteral("%1:%2:%3").arg(m.lblNumK7->text(), m.LblPositionFilm->text(), t),
                     ::placements().at(position));
        }
    }

    // While the list is open, adding and modifying a film rebuild it on the film concerned.
    void reconstruction() {
        Banc b;
        films(b.dossier, 3);
        b.dossier.ajouterCassette(QStringLiteral("03:00:00"));
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        cliquerEntete(g, Date);

        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            f->TxtTitre->setPlainText(QStringLiteral("Bonjour"));
            f->TxtDuree->setText(QStringLiteral("01:00:00"));
            f->TxtDate->setText(QStringLiteral("2010"));
            puis([&] {
                puis([&] { QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton); });
                QTest::mouseClick(ChoixK7::instance()->BtnValiderK7, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        });
        m.MenuAjouterFilm->trigger();
        QCOMPARE(::colonne(g, Titre), (QStringList{"alien", "Bonjour", "Été", "Zorro"}));
        QCOMPARE(g.Row(), 2);
        QCOMPARE(g.TextMatrix(2, Id), QStringLiteral("4"));
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Bonjour"));
        QVERIFY(l.SuiviActif && !m.BtnNextFilm->isEnabled());

        cliquerLigne(g, 1);
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f);
            f->TxtRealisateur->setText(QStringLiteral("Jacques Demy"));
            b.repondeur.attendre();
            QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
            QVERIFY(!AjoutFilm::instance());
        });
        m.MenuModifFilm->trigger();
        QCOMPARE(g.Rows(), 5);
        QCOMPARE(g.Row(), 1);
        QCOMPARE(g.TextMatrix(1, 1), QStringLiteral("Jacques Demy"));
        QCOMPARE(m.LblTitre->text(), QStringLiteral("alien"));
        QVERIFY(l.SuiviActif && !m.BtnNextFilm->isEnabled());
        // The rebuilt list is in title order: a click on "Date" sorts it ascending again.
        cliquerEntete(g, Date);
        QCOMPARE(::colonne(g, Titre), (QStringList{"Été", "Zorro", "alien", "Bonjour"}));
    }

    // A film added or changed with the list open takes the row a new filling would give it.
    void miseAJour_data() {
        QTest::addColumn<QString>("titre"); // Brazil's new title; with "+", a new film's
        QTest::addColumn<QString>("motif"); // a search under way
        QTest::addColumn<int>("tri");       // a heading clicked first, or -1
        QTest::newRow("vers le milieu") << "Metro"
                                        << "" << -1;
        QTest::newRow("en tête") << "  aaa"
                                 << "" << -1;
        QTest::newRow("en fin, accentué") << "Zoé"
                                          << "" << -1;
        QTest::newRow("même titre qu'un autre") << "orfeu"
                                                << "" << -1;
        QTest::newRow("nouveau film") << "+Lola"
                                      << "" << -1;
        QTest::newRow("nouveau film, même titre") << "+Zorro"
                                                  << "" << -1;
        QTest::newRow("recherche en cours") << "Metro"
                                            << "e" << -1;
        QTest::newRow("liste triée par date") << "+Lola"
                                              << "" << Date;
    }

    void miseAJour() {
        QFETCH(QString, titre);
        QFETCH(QString, motif);
        QFETCH(int, tri);
        Banc b;
        films(b.dossier, 12);
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        Grille& g = *l.TableFilm;
        QTest::keyClicks(l.TxtRecherche, motif);
        if (tri >= 0)
            cliquerEntete(g, tri);
        qint64 id = 0;
        if (titre.startsWith(QLatin1Char('+'))) {
            id = executer(QStringLiteral("INSERT INTO Film (Titre, \"Durée\") VALUES (?, '01:00:00')"),
                          {titre.mid(1)})
                     .lastInsertId()
                     .toLongLong();
        } else {
            Sql q = executer(QStringLiteral("SELECT IdFilm FROM Film WHERE Titre = 'Brazil'"));
            QVERIFY(q.next());
            id = q.value(0).toLongLong();
            q.finish();
            executer(QStringLiteral("UPDATE Film SET Titre = ? WHERE IdFilm = ?"), {titre, id});
        }
        m.MetAJourMoniteur(id); // as the film forms do before
        l.MetAJourFilm(id);
        const auto cellules = [&g] {
            QStringList t;
            for (int r = 1; r < g.Rows(); ++r) {
                for (int c = 0; c < g.Cols(); ++c)
                    t << g.TextMatrix(r, c);
            }
            return t;
        };
        const QStringList apres = cellules();
        QCOMPARE(g.TextMatrix(g.Row(), Id).toLongLong(), id);
        l.InitialiseTable();
        QCOMPARE(apres, cellules());
    }

    // What is typed keeps in sight the films whose title, director or actors hold it, whatever the
    // case and accents; sorting, choosing and deleting work on the films in sight, the main window
    // showing the film the list selects; Escape empties the field, then closes the list.
    void recherche_data() {
        QTest::addColumn<QString>("motif");
        QTest::addColumn<int>("tri");         // a header clicked after typing, or -1
        QTest::addColumn<QStringList>("vus"); // the titles in sight, top to bottom
        QTest::newRow("titre") << "ete" << -1 << QStringList{"Été"};
        QTest::newRow("réalisateur") << "LEFEVRE" << -1 << QStringList{"Brazil"};
        QTest::newRow("acteurs") << "FRANCOISE" << -1 << QStringList{"Orfeu"};
        QTest::newRow("aucun") << "xyz" << -1 << QStringList{};
        QTest::newRow("trié par date")
            << "o" << Date << QStringList{"Nosferatu", "Metropolis", "Orfeu", "Zorro"};
    }

    void recherche() {
        QFETCH(QString, motif);
        QFETCH(int, tri);
        QFETCH(QStringList, vus);
        Banc b;
        films(b.dossier, 12);
        executer(QStringLiteral("UPDATE Film SET \"Réalisateur\" = 'Jean Lefèvre' WHERE Titre = 'Brazil'"));
        executer(QStringLiteral("UPDATE Film SET Acteurs = 'Françoise Dorléac' WHERE Titre = 'Orfeu'"));
        Moniteur& m = b.demarrer();
        QPointer<ListeFilm> l = &ouvrir(m);
        Grille& g = *l->TableFilm;
        const QString avant = m.LblTitre->text();
        QTest::keyClicks(l->TxtRecherche, motif);
        if (tri >= 0)
            cliquerEntete(g, tri);
        const auto enVue = [&g] {
            QStringList t;
            for (int i = 0; i < g.model()->rowCount(); ++i)
                t << g.model()->index(i, Titre).data().toString();
            return t;
        };
        QCOMPARE(enVue(), vus);
        QCOMPARE(m.LblTitre->text(), vus.value(0, avant));
        if (vus.size() > 1) {
            QTest::keyClick(l->TxtRecherche, Qt::Key_Down); // the arrows move in the grid
            QCOMPARE(m.LblTitre->text(), vus.at(1));
            cliquerLigne(g, int(vus.size()));
            QCOMPARE(m.LblTitre->text(), vus.last());
        }

        b.repondeur.attendre(Messages::Oui);
        QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        QCOMPARE(g.Rows(), 12);
        QCOMPARE(enVue(), vus.mid(0, std::max<qsizetype>(0, vus.size() - 1)));
        QCOMPARE(m.LblTitre->text(), g.TextMatrix(g.Row(), Titre));
        QCOMPARE(g.LigneVue(g.Row()), vus.size() > 1);
        // Rebuilt, as after a film is modified: back in title order, the same films in sight.
        QStringList restants = enVue();
        std::sort(restants.begin(), restants.end());
        l->InitialiseTable();
        QCOMPARE(enVue(), restants);

        QTest::keyClick(l->TxtRecherche, Qt::Key_Escape);
        QVERIFY(l->TxtRecherche->text().isEmpty());
        QCOMPARE(g.model()->rowCount(), 11);
        QTest::keyClick(l->TxtRecherche, Qt::Key_Escape);
        QTRY_VERIFY(!l);
    }

    // Ctrl+F in the main window opens the list with the keyboard in its search field.
    void ctrlF() {
        Banc b;
        films(b.dossier, 3);
        Moniteur& m = b.demarrer();
        QApplication::setActiveWindow(&m);
        QTest::keyClick(&m, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(ListeFilm::instance() && m.ListeOuverte);
        QTRY_COMPARE(QApplication::focusWidget(), ListeFilm::instance()->TxtRecherche);
    }

    // Closing leaves the main window on the film selected, browsing from there.
    void fermeture() {
        Banc b;
        films(b.dossier, 5);
        Moniteur& m = b.demarrer();
        ListeFilm& l = ouvrir(m);
        cliquerEntete(*l.TableFilm, Date);
        cliquerLigne(*l.TableFilm, 4);
        const QString choisi = l.TableFilm->TextMatrix(4, Titre);
        l.close();
        QVERIFY(!ListeFilm::instance() && !m.ListeOuverte);
        QVERIFY(m.BtnNextFilm->isEnabled() && m.BtnPreviousFilm->isEnabled());
        QCOMPARE(m.LblTitre->text(), choisi);
        // Browsing goes on in title order from that film.
        QTest::mouseClick(m.BtnNextFilm, Qt::LeftButton);
        const QStringList parTitre{"alien", "Été", "K7 9", "K7 10", "Zorro"};
        QCOMPARE(m.LblTitre->text(), parTitre.at(parTitre.indexOf(choisi) + 1));
    }

    void ouvertureDouble() {
        Banc b;
        films(b.dossier, 3);
        Moniteur& m = b.demarrer();
        ListeFilm* premiere = &ouvrir(m);
        cliquerLigne(*premiere->TableFilm, 3);
        QTest::mouseClick(m.BtnListeFilm, Qt::LeftButton);
        int listes = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            listes += qobject_cast<ListeFilm*>(w) && w->isVisible();
        QCOMPARE(listes, 1);
        QCOMPARE(ListeFilm::instance(), premiere);
        QCOMPARE(premiere->TableFilm->Row(), 3);
    }

    void sansFilm() {
        Banc b;
        b.dossier.ajouterCassette(QStringLiteral("03:00:00"));
        Moniteur& m = b.demarrer();
        b.repondeur.attendre();
        QTest::mouseClick(m.BtnListeFilm, Qt::LeftButton);
        QCOMPARE(b.repondeur.messages(),
                 (QList<QPair<QString, int>>{{"Il n'y a pas de film à visualiser, la base est vide", 64}}));
        QVERIFY(!ListeFilm::instance() && !m.ListeOuverte);
    }
};

QTEST_MAIN(TestListeFilm)
#include "tst_listefilm.moc"
