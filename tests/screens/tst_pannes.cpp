// Every command that writes, failed at each of its writes in turn: the user is told why in
// French, the catalogue and the posters are exactly as before, and the screens show what the
// catalogue holds.

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

using Commande = void (*)(Banc&, Moniteur&, bool reussite);

QString fichierAffiche(const Banc& b) {
    return b.dossier.fichier(QStringLiteral("choisie.jpg"));
}

void ajouterCassette(Banc& b, Moniteur& m, bool) {
    puis([&b] {
        QPointer<AjoutK7> k = Feuille::chargee<AjoutK7>();
        QVERIFY(k);
        k->TxtDuree->setText(QStringLiteral("04:00:00"));
        b.repondeur.attendre(); // its number, or why it failed
        QTest::mouseClick(k->BtnAjouterK7, Qt::LeftButton);
        fermerModales();
    });
    m.MenuAjouterCassette->trigger();
}

void placerFilm(Banc& b, Moniteur& m, bool reussite) {
    puis([&b, reussite] {
        AjoutFilm* f = AjoutFilm::instance();
        QVERIFY(f);
        remplir(*f, {"Cléo de 5 à 7", "Agnès Varda", "Corinne Marchand", "00:50:00", "1962", "France",
                     "Drame", "Deux heures à Paris."});
        b.repondeur.attendreFichier(fichierAffiche(b));
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        puis([&b, reussite] {
            ChoixK7* c = ChoixK7::instance();
            QVERIFY(c);
            if (reussite)
                puis([] { QTest::mouseClick(Feuille::chargee<InfosK7>()->BtnValiderK7, Qt::LeftButton); });
            else
                b.repondeur.attendre();
            QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
            fermerModales();
        });
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
    });
    m.MenuAjouterFilm->trigger();
}

void modifierFilm(Banc& b, Moniteur& m, bool) {
    puis([&b] {
        AjoutFilm* f = AjoutFilm::instance();
        QVERIFY(f);
        f->TxtTitre->setPlainText(QStringLiteral("Alpha, version longue"));
        b.repondeur.attendreFichier(fichierAffiche(b));
        QTest::mouseClick(f->OuvrirAffiche, Qt::LeftButton);
        b.repondeur.attendre(); // modified, or why not
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
        fermerModales();
    });
    m.MenuModifFilm->trigger();
}

void effacerFilm(Banc& b, Moniteur& m, bool reussite) {
    b.repondeur.attendre(Messages::Oui);
    if (!reussite)
        b.repondeur.attendre();
    QTest::mouseClick(m.BtnEffacerFilm, Qt::LeftButton);
}

void effacerCassette(Banc& b, Moniteur& m, bool reussite) {
    puis([&b, reussite] {
        QPointer<VisuK7> v = Feuille::chargee<VisuK7>();
        QVERIFY(v);
        v->ComboK7->setCurrentIndex(v->ComboK7->findText(QStringLiteral("3")));
        QTRY_COMPARE(v->lblNumK7->text(), QStringLiteral("3"));
        b.repondeur.attendre(Messages::Oui);
        if (!reussite)
            b.repondeur.attendre();
        QTest::mouseClick(v->BtnEffacerK7, Qt::LeftButton);
        fermerModales();
    });
    m.MenuEffacerCassette->trigger();
}

// Three cassettes, six films, a poster for each film and one waiting to be chosen.
void preparer(Banc& b) {
    cassette(QStringLiteral("FILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo/01:30:00"));
    cassette(QStringLiteral("FILM01:00:00Charlie/02:00:00"));
    cassette(QStringLiteral("FILM00:30:00Delta/FILM00:30:00Echo/FILM00:30:00Fox/01:30:00"));
    QDir().mkpath(b.dossier.fichier(QStringLiteral("Affiche")));
    const Qt::GlobalColor couleurs[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow};
    for (int id = 1; id <= 6; ++id)
        image(b.affiche(id), couleurs[id - 1]);
    image(fichierAffiche(b), Qt::darkGreen);
}

// Every file of the poster folder, temporary ones included, with its bytes.
QMap<QString, QByteArray> affiches(const Banc& b) {
    QMap<QString, QByteArray> m;
    for (const QString& f : b.affiches())
        m.insert(f, octets(b.dossier.fichier(QStringLiteral("Affiche/") + f)));
    return m;
}

// The main window shows a film the catalogue holds, at its place, with its own poster.
QString etatMoniteur(const Banc& b, const Moniteur& m) {
    if (!m.FilmPresent)
        return QStringLiteral("aucun film");
    const QString place =
        QStringLiteral("%1:%2:%3").arg(m.lblNumK7->text(), m.LblPositionFilm->text(), m.LblTitre->text());
    if (!placements().contains(place))
        return QStringLiteral("place inconnue ") + place;
    const QImage attendue(b.affiche(m.DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong()));
    if (attendue.isNull() || b.montree() != attendue.convertToFormat(QImage::Format_RGB32))
        return QStringLiteral("autre affiche pour ") + place;
    return QStringLiteral("juste");
}

} // namespace

class TestPannes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Pannes::programmer(0); }

    void commandes_data() {
        QTest::addColumn<quintptr>("commande");
        QTest::addColumn<bool>("liste"); // the film list open beside the main window
        const QList<QPair<const char*, Commande>> commandes = {
            {"ajout d'une cassette", ajouterCassette},
            {"placement d'un film", placerFilm},
            {"modification d'un film", modifierFilm},
            {"effacement d'un film", effacerFilm},
            {"effacement d'une cassette", effacerCassette}};
        for (const auto& [nom, c] : commandes) {
            QTest::newRow(nom) << quintptr(c) << false;
            QTest::newRow(QByteArray(nom) + " (liste ouverte)") << quintptr(c) << true;
        }
    }

    // The command is run once to count its writes, then once per write with that write failing.
    void commandes() {
        QFETCH(quintptr, commande);
        QFETCH(bool, liste);
        const auto executer = reinterpret_cast<Commande>(commande);

        int ecritures = 0;
        {
            Banc b;
            preparer(b);
            const QStringList avant = tout(b.dossier);
            Moniteur& m = b.demarrer();
            if (liste)
                m.MenuListeFilm->trigger();
            Pannes::programmer(0);
            executer(b, m, true);
            ecritures = Pannes::ecritures();
            QVERIFY(tout(b.dossier) != avant);
            for (const auto& [texte, style] : b.repondeur.messages())
                QVERIFY2(style != Messages::Critique, qPrintable(texte));
        }
        QVERIFY(ecritures > 0);
        qInfo("%d écritures", ecritures);

        for (int n = 1; n <= ecritures; ++n) {
            const QByteArray cas =
                "écriture " + QByteArray::number(n) + " sur " + QByteArray::number(ecritures);
            Banc b;
            preparer(b);
            const QStringList avant = tout(b.dossier);
            const auto affichesAvant = affiches(b);
            Moniteur& m = b.demarrer();
            QPointer<ListeFilm> l;
            if (liste) {
                m.MenuListeFilm->trigger();
                l = ListeFilm::instance();
                QVERIFY(l);
            }
            const QStringList lignesAvant = l ? lignes(*l->TableFilm, 8) : QStringList();

            Pannes::programmer(n);
            executer(b, m, false);
            Pannes::programmer(0);

            const auto boites = b.repondeur.messages();
            QVERIFY2(!boites.isEmpty(), cas.constData());
            QVERIFY2(boites.last().second == Messages::Critique &&
                         boites.last().first.contains(QStringLiteral("panne simulée")),
                     (cas + " : " + boites.last().first.toUtf8()).constData());
            QVERIFY2(tout(b.dossier) == avant, cas.constData());
            QVERIFY2(affiches(b) == affichesAvant, cas.constData());
            QVERIFY2(b.dossier.invariants().isEmpty(), cas.constData());
            QCOMPARE(etatMoniteur(b, m), QStringLiteral("juste"));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            if (l)
                QVERIFY2(lignes(*l->TableFilm, 8) == lignesAvant, cas.constData());
        }
    }

    // Compaction and repair work on a copy: whichever write fails, the catalogue stays whole and
    // in place, and nothing is left beside it.
    void maintenance_data() {
        QTest::addColumn<bool>("reparation");
        QTest::newRow("compactage") << false;
        QTest::newRow("réparation") << true;
    }

    void maintenance() {
        QFETCH(bool, reparation);
        DossierTest d;
        d.remplir();
        if (reparation) {
            // Work for every step of the repair: a film without its placement (it goes on a rescue
            // cassette), a placement of a film that is gone, a layout record that is unreadable.
            executer(QStringLiteral("DELETE FROM FilmK7 WHERE IdFilm = 8"));
            executer(QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (99, 4, 1)"));
            executer(QStringLiteral("UPDATE K7 SET Status = 'illisible' WHERE IdK7 = 2"));
        }
        const QStringList avant = tout(d);
        Catalogue::fermer();
        const QByteArray octetsAvant = octets(d.catalogue());
        const auto lancer = [&] {
            return reparation ? Catalogue::Resultat(Catalogue::reparer(d.chemin()))
                              : Catalogue::compacter(d.chemin());
        };

        Pannes::programmer(0);
        const Catalogue::Resultat reussie = lancer();
        QVERIFY2(reussie.ok, qPrintable(reussie.message));
        const int ecritures = Pannes::ecritures();
        QVERIFY(ecritures > 0);
        qInfo("%d écritures", ecritures);
        for (const QString& f : QDir(d.chemin()).entryList(QDir::Files))
            QFile::remove(QDir(d.chemin()).filePath(f));
        QVERIFY(ecrire(d.catalogue(), octetsAvant));

        for (int n = 1; n <= ecritures; ++n) {
            Pannes::programmer(n);
            const Catalogue::Resultat r = lancer();
            Pannes::programmer(0);
            QVERIFY2(!r.ok, qPrintable(QStringLiteral("écriture %1 : %2").arg(n).arg(r.message)));
            QVERIFY2(r.message.contains(QStringLiteral("panne simulée")), qPrintable(r.message));
            QCOMPARE(QDir(d.chemin()).entryList(QDir::Files), QStringList{QStringLiteral("R7Ozire.mdb")});
            QCOMPARE(octets(d.catalogue()), octetsAvant);
        }
        QVERIFY(Catalogue::ouvrir(d.catalogue()).ok());
        QCOMPARE(tout(d), avant);
    }
};

QTEST_MAIN(TestPannes)
#include "tst_pannes.moc"
