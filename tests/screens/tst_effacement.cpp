// Deleting a film from the main window and a cassette from its viewer, as a user does: the
// command, the confirmation, then what the catalogue, the posters and the screens show.

#include "screens/common/Unites.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"
#include "tests/support/Banc.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace banc;

namespace {

using Boites = QList<QPair<QString, int>>;

const QString PlusDeFilm = QStringLiteral("Il n'y a plus de films dans la base !!");
const QString BaseVide = QStringLiteral("La base est vide ! Il n'y a plus aucune cassette à visualiser");
const QString Panne =
    QStringLiteral("CREATE TRIGGER panne BEFORE %1 BEGIN SELECT RAISE(ABORT, 'panne'); END");

QStringList identifiants(const QString& sql) {
    QStringList l;
    Sql q = executer(sql);
    while (q.next())
        l << q.value(0).toString();
    return l;
}

// A poster for every film, each of its own colour.
void poserAffiches(const Banc& b) {
    const Qt::GlobalColor couleurs[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow};
    QDir().mkpath(b.dossier.fichier(QStringLiteral("Affiche")));
    for (const QString& id : identifiants(QStringLiteral("SELECT IdFilm FROM Film")))
        image(b.affiche(id.toLongLong()), couleurs[id.toInt() % 6]);
}

// The main window shows its film's own poster.
bool afficheJuste(const Moniteur& m, const Banc& b) {
    const QImage fichier(b.affiche(m.DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong()));
    return !fichier.isNull() && m.Affiche->pixmap().toImage().convertToFormat(QImage::Format_RGB32) ==
                                    fichier.convertToFormat(QImage::Format_RGB32);
}

QMap<QString, QByteArray> affiches(const Banc& b) {
    QMap<QString, QByteArray> m;
    for (const QString& f : b.affiches())
        m.insert(f, octets(b.dossier.fichier(QStringLiteral("Affiche/") + f)));
    return m;
}

// The posters the remaining films must still have: theirs, and no other.
QStringList affichesDesFilms() {
    QStringList l;
    for (const QString& id : identifiants(QStringLiteral("SELECT IdFilm FROM Film")))
        l << id + QStringLiteral(".jpg");
    l.sort();
    return l;
}

void montrer(Moniteur& m, const QString& titre) {
    for (int i = 0; i < 20 && m.LblTitre->text() != titre; ++i)
        QTest::mouseClick(m.BtnNextFilm, Qt::LeftButton);
    QCOMPARE(m.LblTitre->text(), titre);
}

// The main window's cassette, position and title agree with a placement of the catalogue.
bool coherent(const Moniteur& m) {
    return placements().contains(
        QStringLiteral("%1:%2:%3").arg(m.lblNumK7->text(), m.LblPositionFilm->text(), m.LblTitre->text()));
}

ListeFilm* ouvrirListe(Moniteur& m) {
    m.MenuListeFilm->trigger();
    return ListeFilm::instance();
}

// Opens the cassette viewer from the menu; what the user does there runs while it is open, and
// its Ok button closes it unless the deletion closed it already.
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

QStringList entrees(const QComboBox& c) {
    QStringList l;
    for (int i = 0; i < c.count(); ++i)
        l << c.itemText(i);
    return l;
}

} // namespace

class TestEffacement : public QObject {
    Q_OBJECT

private slots:
    void effacerFilm_data() {
        QTest::addColumn<QStringList>("cassettes");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<bool>("bouton"); // the toolbar button, else the menu entry
        QTest::addColumn<QString>("k7");  // cassette 1 afterwards: Status|TempsRestant|NBFilm
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<QString>("montre"); // the main window's title afterwards
        QTest::newRow("seul film de sa cassette")
            << QStringList{"FILM01:00:00Seul/02:00:00", "FILM01:00:00Autre/02:00:00"} << "Seul" << true
            << "03:00:00|03:00:00|0" << QStringList{"2:1:Autre"} << "Autre";
        QTest::newRow("entre deux plages libres")
            << QStringList{"FILM00:30:00Avant/00:20:00/FILM01:00:00Milieu/00:40:00/FILM00:30:00Après"}
            << "Milieu" << false << "FILM00:30:00Avant/02:00:00/FILM00:30:00Après|02:00:00|2"
            << QStringList{"1:1:Avant", "1:2:Après"} << "Après";
        QTest::newRow("milieu de trois films")
            << QStringList{"FILM01:00:00Un/FILM01:00:00Deux/FILM01:00:00Trois/01:00:00"} << "Deux" << true
            << "FILM01:00:00Un/01:00:00/FILM01:00:00Trois/01:00:00|02:00:00|2"
            << QStringList{"1:1:Un", "1:2:Trois"} << "Trois";
        QTest::newRow("premier film, bande pleine")
            << QStringList{"FILM01:00:00Un/FILM02:00:00Deux/FILM01:00:00Trois"} << "Un" << false
            << "01:00:00/FILM02:00:00Deux/FILM01:00:00Trois|01:00:00|2"
            << QStringList{"1:1:Deux", "1:2:Trois"} << "Deux";
        QTest::newRow("dernier film du catalogue")
            << QStringList{"FILM01:00:00Seul/02:00:00", "03:00:00"} << "Seul" << false
            << "03:00:00|03:00:00|0" << QStringList() << "LE TITRE";
    }

    // No first, which changes nothing; then Yes.
    void effacerFilm() {
        QFETCH(QStringList, cassettes);
        QFETCH(QString, titre);
        QFETCH(bool, bouton);
        QFETCH(QString, k7);
        QFETCH(QStringList, places);
        QFETCH(QString, montre);
        Banc b;
        for (const QString& s : cassettes)
            cassette(s);
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        montrer(m, titre);
        const qint64 id = m.DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong();
        const QStringList avant = tout(b.dossier);
        const auto affichesAvant = affiches(b);
        auto effacer = [&] {
            if (bouton)
                QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
            else
                m.MenuEffacerFilm->trigger();
        };
        const Boites question{{QStringLiteral("Etes-vous sûr de vouloir effacer le film :\n\n") + titre, 4}};

        b.repondeur.attendre(Messages::Non);
        effacer();
        QCOMPARE(b.repondeur.messages(), question);
        QCOMPARE(tout(b.dossier), avant);
        QCOMPARE(affiches(b), affichesAvant);
        QCOMPARE(m.LblTitre->text(), titre);

        b.repondeur.effacer();
        b.repondeur.attendre(Messages::Oui);
        if (places.isEmpty())
            b.repondeur.attendre();
        effacer();
        QCOMPARE(b.repondeur.messages(), places.isEmpty() ? question + Boites({{PlusDeFilm, 64}}) : question);
        Sql q = executer(QStringLiteral("SELECT Status, TempsRestant, NBFilm FROM K7 WHERE IdK7 = 1"));
        QVERIFY(q.next());
        QCOMPARE(QStringLiteral("%1|%2|%3")
                     .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString()),
                 k7);
        QCOMPARE(placements(), places);
        QVERIFY(!QFile::exists(b.affiche(id)));
        QCOMPARE(b.affiches(), affichesDesFilms());
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(m.LblTitre->text(), montre);
        QCOMPARE(m.FilmPresent, !places.isEmpty());
        if (!places.isEmpty()) {
            QVERIFY(coherent(m) && afficheJuste(m, b));
            return;
        }
        QCOMPARE(m.lblNumK7->text(), QStringLiteral("0"));
        // Browsing stops once the main window is active again: here after the search screen.
        puis([] { QTest::mouseClick(Feuille::chargee<ConsultK7>()->BtnValiderK7, Qt::LeftButton); });
        m.MenuRechercheK7->trigger();
        QVERIFY(!m.BtnNextFilm->isEnabled() && !m.BtnPreviousFilm->isEnabled());
        b.repondeur.effacer();
        b.repondeur.attendre();
        effacer();
        QCOMPARE(b.repondeur.textes(),
                 QStringList{QStringLiteral("Il n'y a aucun film à effacer dans la base !!")});
    }

    void effacerFilmListe_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("ligne"); // the row chosen in the list
        QTest::addColumn<QStringList>("reste");
        QTest::addColumn<QString>("montre");
        const QString trois =
            QStringLiteral("FILM00:30:00Alpha/FILM00:30:00Bravo/FILM00:30:00Charlie/02:30:00");
        QTest::newRow("première ligne") << trois << 1 << QStringList{"Bravo", "Charlie"} << "Bravo";
        QTest::newRow("ligne du milieu") << trois << 2 << QStringList{"Alpha", "Charlie"} << "Charlie";
        QTest::newRow("dernière ligne") << trois << 3 << QStringList{"Alpha", "Bravo"} << "Bravo";
        QTest::newRow("dernier film") << "FILM00:30:00Alpha/03:30:00" << 1 << QStringList() << "LE TITRE";
    }

    // The list loses the film's row and the main window follows the list's new row.
    void effacerFilmListe() {
        QFETCH(QString, status);
        QFETCH(int, ligne);
        QFETCH(QStringList, reste);
        QFETCH(QString, montre);
        Banc b;
        cassette(status);
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        QPointer<ListeFilm> l = ouvrirListe(m);
        QVERIFY(l);
        Grille& g = *l->TableFilm;
        cliquerLigne(g, ligne);
        const QString titre = g.TextMatrix(ligne, 0);
        QCOMPARE(m.LblTitre->text(), titre);
        const qint64 id = g.TextMatrix(ligne, 7).toLongLong();

        b.repondeur.attendre(Messages::Oui);
        if (reste.isEmpty())
            b.repondeur.attendre();
        QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        QVERIFY(!QFile::exists(b.affiche(id)));
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(m.LblTitre->text(), montre);
        if (reste.isEmpty()) {
            QCOMPARE(b.repondeur.dernier(), PlusDeFilm);
            QTRY_VERIFY(!l);
            QVERIFY(!m.ListeOuverte && !m.FilmPresent);
            return;
        }
        QCOMPARE(lignes(g, 1), reste);
        QCOMPARE(g.TextMatrix(g.Row(), 0), montre);
        QVERIFY(l->SuiviActif && m.FilmPresent && coherent(m) && afficheJuste(m, b));
    }

    void ouvertureVisuK7_data() {
        QTest::addColumn<QStringList>("cassettes");
        QTest::addColumn<QString>("montree"); // number|capacity|free time|bar|the tape's index
        QTest::newRow("la cassette du film montré")
            << QStringList{"03:00:00", "04:00:00", "FILM01:00:00Seul/00:30:00/FILM00:30:00Autre/01:00:00"}
            << "3|03:00:00|01:30:00|R01:00:00 B00:30:00 R00:30:00 B01:00:00|"
               "00:00:00 Seul;01:00:00 Libre (30 min);01:30:00 Autre;02:00:00 Libre (1 h)";
        QTest::newRow("aucun film : la première")
            << QStringList{"02:00:00", "04:00:00"} << "1|02:00:00|02:00:00|B02:00:00|00:00:00 Libre (2 h)";
    }

    void ouvertureVisuK7() {
        QFETCH(QStringList, cassettes);
        QFETCH(QString, montree);
        Banc b;
        for (const QString& s : cassettes)
            cassette(s);
        Moniteur& m = b.demarrer();
        QString vu;
        QStringList liste;
        visualiser(m, [&](VisuK7& v) {
            liste = entrees(*v.ComboK7);
            QStringList index;
            for (int i = 0; i < v.LstBande->count(); ++i)
                index << v.LstBande->item(i)->text().simplified();
            vu = QStringList{v.ComboK7->currentText(), v.LblDureeK7->text(), v.LblTempsRestant->text(),
                             barre(v), index.join(QLatin1Char(';'))}
                     .join(QLatin1Char('|'));
            QCOMPARE(v.lblNumK7->text(), v.ComboK7->currentText());
            QCOMPARE(v.IndexAffiche, v.ComboK7->currentIndex());
        });
        QCOMPARE(liste, (QStringList{"1", "2", "3"}.mid(0, cassettes.size())));
        QCOMPARE(vu, montree);
    }

    // A change of cassette shows about 100 ms later, once; choosing the one shown does nothing.
    void rafraichissement() {
        Banc b;
        for (const char* s : {"03:00:00", "FILM01:00:00Un/03:00:00", "FILM02:00:00Deux/01:00:00", "02:00:00"})
            cassette(QString::fromUtf8(s));
        Moniteur& m = b.demarrer(); // "Deux", on cassette 3
        visualiser(m, [&](VisuK7& v) {
            QSignalSpy tops(v.TimerChange, &QTimer::timeout);
            QCOMPARE(v.lblNumK7->text(), QStringLiteral("3"));
            QTest::qWait(250);
            QCOMPARE(tops.count(), 0);

            QTest::keyClick(v.ComboK7, Qt::Key_Up);
            QCOMPARE(v.ComboK7->currentText(), QStringLiteral("2"));
            QCOMPARE(v.lblNumK7->text(), QStringLiteral("3"));
            QTRY_COMPARE(v.lblNumK7->text(), QStringLiteral("2"));
            QTest::qWait(250);
            QCOMPARE(tops.count(), 1);
            QCOMPARE(v.IndexAffiche, 1);
            QCOMPARE(v.LblTempsRestant->text(), QStringLiteral("03:00:00"));
            QCOMPARE(barre(v), QStringLiteral("R01:00:00 B03:00:00"));

            v.ComboK7_Click(); // the entry already shown, clicked again
            QTest::qWait(250);
            QCOMPARE(tops.count(), 1);

            // Two changes within the delay: one refresh, for the last.
            QTest::keyClick(v.ComboK7, Qt::Key_Up);
            QTest::keyClick(v.ComboK7, Qt::Key_End);
            QTRY_COMPARE(v.lblNumK7->text(), QStringLiteral("4"));
            QTest::qWait(250);
            QCOMPARE(tops.count(), 2);
            QCOMPARE(barre(v), QStringLiteral("B02:00:00"));
            QCOMPARE(v.IndexAffiche, 3);
        });
    }

    void effacerCassette_data() {
        QTest::addColumn<QStringList>("cassettes");
        QTest::addColumn<QString>("k7"); // the cassette chosen, then deleted
        QTest::addColumn<bool>("liste"); // the film list open
        QTest::addColumn<int>("reponse");
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<QStringList>("restantes"); // the viewer's list afterwards; empty: it closed
        QTest::addColumn<QString>("montre");        // the main window's title afterwards
        const QStringList trois{"03:00:00", "FILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/00:30:00",
                                "FILM01:00:00Charlie/FILM01:00:00Delta/01:00:00"};
        const QStringList gardes{"3:1:Charlie", "3:2:Delta"};
        QTest::newRow("cassette vide")
            << QStringList{"FILM01:00:00Alpha/FILM01:00:00Bravo/01:00:00", "03:00:00"} << "2" << false
            << int(Messages::Oui) << QStringList{"1:1:Alpha", "1:2:Bravo"} << QStringList{"1"} << "Alpha";
        QTest::newRow("cassette avec films")
            << trois << "2" << false << int(Messages::Oui) << gardes << QStringList{"1", "3"} << "Charlie";
        QTest::newRow("cassette avec films, liste ouverte")
            << trois << "2" << true << int(Messages::Oui) << gardes << QStringList{"1", "3"} << "Charlie";
        QTest::newRow("réponse Non") << trois << "2" << true << int(Messages::Non)
                                     << QStringList{"2:1:Alpha", "2:2:Bravo"} + gardes
                                     << QStringList{"1", "2", "3"} << "Alpha";
        QTest::newRow("plus aucun film, liste ouverte")
            << QStringList{"FILM01:00:00Alpha/02:00:00", "03:00:00"} << "1" << true << int(Messages::Oui)
            << QStringList() << QStringList{"2"} << "LE TITRE";
        QTest::newRow("dernière cassette, liste ouverte")
            << QStringList{"FILM01:00:00Alpha/FILM00:30:00Bravo/01:30:00"} << "1" << true
            << int(Messages::Oui) << QStringList() << QStringList() << "LE TITRE";
        QTest::newRow("dernière cassette, vide")
            << QStringList{"03:00:00"} << "1" << false << int(Messages::Oui) << QStringList() << QStringList()
            << "LE TITRE";
    }

    void effacerCassette() {
        QFETCH(QStringList, cassettes);
        QFETCH(QString, k7);
        QFETCH(bool, liste);
        QFETCH(int, reponse);
        QFETCH(QStringList, places);
        QFETCH(QStringList, restantes);
        QFETCH(QString, montre);
        Banc b;
        for (const QString& s : cassettes)
            cassette(s);
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        QPointer<ListeFilm> l = liste ? ouvrirListe(m) : nullptr;
        QCOMPARE(bool(l), liste);
        const QStringList avant = tout(b.dossier);
        const QStringList films = b.dossier.contenu(QStringLiteral("Film"));
        QStringList autres = b.dossier.contenu(QStringLiteral("K7"));
        if (reponse == Messages::Oui)
            autres.removeIf([&](const QString& r) { return r.startsWith(k7 + QLatin1Char('|')); });

        QStringList vues;
        QString apres;
        visualiser(m, [&](VisuK7& v) {
            choisir(v, k7);
            b.repondeur.attendre(Messages::Reponse(reponse));
            if (restantes.isEmpty())
                b.repondeur.attendre();
            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
            vues = entrees(*v.ComboK7);
            apres = v.lblNumK7->text();
        });

        const Boites question{{QStringLiteral("Etes-vous sur de vouloir effacer la cassette N°") + k7 +
                                   QStringLiteral(" et tout les films qu'elle contient ?"),
                               36}};
        QCOMPARE(b.repondeur.messages(),
                 restantes.isEmpty() ? question + Boites({{BaseVide, 64}}) : question);
        QCOMPARE(vues, restantes);
        QCOMPARE(apres, restantes.isEmpty()        ? QStringLiteral("0")
                        : reponse == Messages::Non ? k7
                                                   : restantes.first());
        QVERIFY(!Feuille::chargee<VisuK7>());
        if (reponse == Messages::Non)
            QCOMPARE(tout(b.dossier), avant);
        QCOMPARE(placements(), places);
        QCOMPARE(b.dossier.contenu(QStringLiteral("K7")), autres);
        for (const QString& f : b.dossier.contenu(QStringLiteral("Film")))
            QVERIFY(films.contains(f));
        QCOMPARE(b.affiches(), affichesDesFilms());
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        QCOMPARE(m.LblTitre->text(), montre);
        QCOMPARE(m.FilmPresent, !places.isEmpty());
        QCOMPARE(m.K7Presente, !restantes.isEmpty());
        QCOMPARE(m.BtnNextFilm->isEnabled(), m.FilmPresent && !m.ListeOuverte);
        if (!places.isEmpty())
            QVERIFY(coherent(m) && afficheJuste(m, b));
        if (restantes.isEmpty()) {
            b.repondeur.effacer();
            b.repondeur.attendre();
            QTest::mouseClick(m.BtnVisuK7, Qt::LeftButton);
            QCOMPARE(
                b.repondeur.messages(),
                Boites({{"Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !", 64}}));
            QVERIFY(!Feuille::chargee<VisuK7>());
        }
        if (!liste)
            return;
        if (places.isEmpty()) {
            QTRY_VERIFY(!l);
            QVERIFY(!m.ListeOuverte);
            return;
        }
        QStringList titres;
        for (const QString& p : places)
            titres << p.section(QLatin1Char(':'), 2);
        titres.sort();
        QCOMPARE(lignes(*l->TableFilm, 1), titres);
        QCOMPARE(l->TableFilm->TextMatrix(l->TableFilm->Row(), 0), montre);
        QVERIFY(l->SuiviActif);
    }

    // A long cassette goes with the list repainted film by film, and ends in step.
    void effacerGrosseCassette() {
        Banc b;
        QStringList status;
        for (int i = 1; i <= 200; ++i)
            status << QStringLiteral("FILM00:01:00Film %1").arg(i, 3, 10, QLatin1Char('0'));
        cassette(status.join(QLatin1Char('/')) + QStringLiteral("/00:40:00"));
        cassette(QStringLiteral("FILM01:00:00Autre/02:00:00"));
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        QPointer<ListeFilm> l = ouvrirListe(m);
        QVERIFY(l);
        QCOMPARE(l->TableFilm->Rows(), 202);
        bool pendant = false;
        QStringList vues;
        visualiser(m, [&](VisuK7& v) {
            choisir(v, QStringLiteral("1"));
            b.repondeur.attendre(Messages::Oui);
            // While the list repaints, the user tries another cassette from the keyboard.
            QTimer::singleShot(0, &v, [&] {
                pendant = !v.BtnEffacerK7->isEnabled();
                QTest::keyClick(v.ComboK7, Qt::Key_Down);
            });
            QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
            vues = entrees(*v.ComboK7);
            QVERIFY(v.ComboK7->isEnabled());
        });
        QVERIFY(pendant);
        QCOMPARE(vues, QStringList{"2"});
        QCOMPARE(placements(), QStringList{"2:1:Autre"});
        QCOMPARE(b.affiches(), QStringList{"201.jpg"});
        QCOMPARE(lignes(*l->TableFilm, 1), QStringList{"Autre"});
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Autre"));
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void panne_data() {
        QTest::addColumn<bool>("cassette"); // the cassette of "Alpha", else the film "Alpha"
        QTest::addColumn<QString>("refus"); // the write the catalogue refuses
        QTest::addColumn<bool>("liste");
        QTest::newRow("film, à la fin") << false << "DELETE ON Film" << false;
        QTest::newRow("film, au décalage des positions") << false << "UPDATE ON FilmK7" << false;
        QTest::newRow("film, liste ouverte") << false << "DELETE ON Film" << true;
        QTest::newRow("cassette, à la fin") << true << "DELETE ON K7" << false;
        QTest::newRow("cassette, au premier film, liste ouverte") << true << "DELETE ON Film" << true;
    }

    // A deletion the catalogue refuses half way leaves the catalogue, the posters and the screens as
    // they were, and says why.
    void panne() {
        QFETCH(bool, cassette);
        QFETCH(QString, refus);
        QFETCH(bool, liste);
        Banc b;
        banc::cassette(QStringLiteral("FILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/00:30:00"));
        banc::cassette(QStringLiteral("FILM01:00:00Charlie/02:00:00"));
        poserAffiches(b);
        Moniteur& m = b.demarrer();
        QPointer<ListeFilm> l = liste ? ouvrirListe(m) : nullptr;
        const QStringList lignesAvant = l ? lignes(*l->TableFilm, 8) : QStringList();
        executer(Panne.arg(refus));
        const QStringList avant = tout(b.dossier);
        const auto affichesAvant = affiches(b);

        b.repondeur.attendre(Messages::Oui);
        b.repondeur.attendre();
        QStringList vues;
        if (cassette) {
            visualiser(m, [&](VisuK7& v) {
                QTest::mouseClick(v.BtnEffacerK7, Qt::LeftButton);
                vues = entrees(*v.ComboK7) << v.lblNumK7->text() << barre(v);
            });
            QCOMPARE(vues, QStringList() << "1"
                                         << "2"
                                         << "1"
                                         << "R01:00:00 B00:30:00 R01:00:00 B00:30:00");
        } else {
            QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
        }
        const auto boites = b.repondeur.messages();
        QCOMPARE(boites.size(), 2);
        QCOMPARE(boites[1].second, 16);
        QVERIFY2(boites[1].first.contains(QStringLiteral("panne")), qPrintable(boites[1].first));
        QCOMPARE(tout(b.dossier), avant);
        QCOMPARE(affiches(b), affichesAvant);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Alpha"));
        QVERIFY(m.FilmPresent && m.K7Presente && coherent(m) && afficheJuste(m, b));
        if (l)
            QCOMPARE(lignes(*l->TableFilm, 8), lignesAvant);
        executer(QStringLiteral("DROP TRIGGER panne"));
        QCOMPARE(b.dossier.invariants(), QStringList());
    }
};

QTEST_MAIN(TestEffacement)
#include "tst_effacement.moc"
