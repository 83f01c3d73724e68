// The program without a mouse: a new film from the menu to the summary by keys alone, Escape
// leaving every dialog without a trace, and browsing the main window with the arrows.

#include "screens/film/ChoixK7.h"
#include "tests/support/Banc.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

using namespace banc;

namespace {

// Makes the form the active window, as the user's focus is, so that keys reach it.
bool activer(QWidget* w) {
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

void touche(QWidget* fenetre, Qt::Key k, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QWidget* cible = fenetre->focusWidget() ? fenetre->focusWidget() : fenetre;
    QTest::keyClick(cible, k, mod);
}

} // namespace

class TestClavier : public QObject {
    Q_OBJECT

private slots:
    // Alt+I then A opens the film form; the fields are typed in order with Tab between them;
    // Enter hands the film to the choice, where Down picks the second cassette and Enter places
    // it; Enter closes the summary.
    void nouveauFilmAuClavier() {
        Banc b;
        cassette(QStringLiteral("03:00:00"));
        cassette(QStringLiteral("02:00:00"));
        Moniteur& m = b.demarrer();
        QVERIFY(activer(&m));
        const QStringList saisie = {QStringLiteral("Cléo de 5 à 7"),
                                    QStringLiteral("Agnès Varda"),
                                    QStringLiteral("Corinne Marchand"),
                                    QStringLiteral("013000"),
                                    QStringLiteral("1962"),
                                    QStringLiteral("France"),
                                    QStringLiteral("Drame"),
                                    QStringLiteral("Deux heures à Paris.")};

        QTest::keyClick(&m, Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(m.MenuFilm->isVisible());

        bool resume = false;
        puis([&] {
            AjoutFilm* f = AjoutFilm::instance();
            QVERIFY(f && activer(f));
            QCOMPARE(f->focusWidget(), static_cast<QWidget*>(f->TxtTitre));
            QList<QWidget*> ordre;
            ordre << f->TxtRealisateur << f->TxtActeurs << f->TxtDuree << f->TxtDate << f->TxtPays
                  << f->ComboGenre << f->TxtDescription << f->OuvrirAffiche;
            for (int i = 0; i < saisie.size(); ++i) {
                taper(f->focusWidget(), saisie[i]);
                touche(f, Qt::Key_Tab);
                QWidget* ici = f->focusWidget();
                QVERIFY2(
                    ici == ordre[i] || ici->focusProxy() == ordre[i] || ici->parentWidget() == ordre[i],
                    qPrintable(
                        QStringLiteral("après le champ %1 : %2").arg(i).arg(ici->metaObject()->className())));
            }
            QCOMPARE(champs(*f), (QStringList{saisie[0], saisie[1], saisie[2], "01:30:00", saisie[4],
                                              saisie[5], saisie[6], saisie[7]}));
            puis([&] {
                ChoixK7* c = ChoixK7::instance();
                QVERIFY(c && activer(c));
                // The shortest free stretch first: cassette 2, then cassette 1.
                QCOMPARE(c->focusWidget(), static_cast<QWidget*>(c->TableK7Libre));
                QCOMPARE(c->lblNumK7->text(), QStringLiteral("2"));
                touche(c, Qt::Key_Down);
                QCOMPARE(c->lblNumK7->text(), QStringLiteral("1"));
                puis([&] {
                    auto* infos = Feuille::chargee<InfosK7>();
                    QVERIFY(infos && activer(infos));
                    QCOMPARE(infos->lblNumK7->text(), QStringLiteral("1"));
                    resume = true;
                    touche(infos, Qt::Key_Return);
                });
                touche(c, Qt::Key_Return);
            });
            touche(f, Qt::Key_Return);
        });
        QTest::keyClick(m.MenuFilm, Qt::Key_A);

        QVERIFY(resume);
        QVERIFY(!AjoutFilm::instance() && !ChoixK7::instance() && !Feuille::chargee<InfosK7>());
        QCOMPARE(::placements(), QStringList{QStringLiteral("1:1:Cléo de 5 à 7")});
        QCOMPARE(b.dossier.contenu(QStringLiteral("Film")).last(),
                 QStringLiteral("1|Cléo de 5 à 7|Agnès Varda|Corinne Marchand|01:30:00|1962|France|Drame|"
                                "Deux heures à Paris."));
        QCOMPARE(b.dossier.invariants(), QStringList());
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Cléo de 5 à 7"));
        QVERIFY(b.repondeur.messages().isEmpty());
    }

    void echap_data() {
        QTest::addColumn<QString>("commande"); // the menu entry that opens the dialog
        QTest::addColumn<QString>("classe");
        QTest::addColumn<QString>("frappe"); // typed in the first field before Escape

        QTest::newRow("ajout d'un film") << "MenuAjouterFilm"
                                         << "AjoutFilm"
                                         << "Sans suite";
        QTest::newRow("ajout d'une cassette") << "MenuAjouterCassette"
                                              << "AjoutK7"
                                              << "04";
        QTest::newRow("recherche d'une cassette") << "MenuRechercheK7"
                                                  << "ConsultK7"
                                                  << "01";
        QTest::newRow("visualiser/effacer une cassette") << "MenuEffacerCassette"
                                                         << "VisuK7"
                                                         << "";
        QTest::newRow("impression") << "MenuImprime"
                                    << "Impression"
                                    << "";
        QTest::newRow("à propos") << "MenuAPropos"
                                  << "About"
                                  << "";
    }

    // Escape closes each dialog as its close box does and the catalogue is left as it was.
    void echap() {
        QFETCH(QString, commande);
        QFETCH(QString, classe);
        QFETCH(QString, frappe);
        Banc b;
        cassette(QStringLiteral("FILM01:00:00A/02:00:00"));
        const QStringList avant = tout(b.dossier);
        Moniteur& m = b.demarrer();
        QAction* action = m.findChild<QAction*>(commande);
        QVERIFY(action);

        QPointer<QWidget> forme;
        puis([&] {
            forme = QApplication::activeModalWidget();
            QVERIFY(forme && activer(forme));
            QCOMPARE(QString::fromLatin1(forme->metaObject()->className()), classe);
            if (!frappe.isEmpty())
                taper(forme->focusWidget(), frappe);
            touche(forme, Qt::Key_Escape);
            QTRY_VERIFY(!forme || !forme->isVisible());
        });
        action->trigger();

        QVERIFY(forme.isNull() || !forme->isVisible());
        QCOMPARE(tout(b.dossier), avant);
        QVERIFY(b.repondeur.messages().isEmpty());
        // The main window stays open on Escape: quitting is a command of its own.
        QVERIFY(activer(&m));
        touche(&m, Qt::Key_Escape);
        QVERIFY(m.isVisible());
    }

    void parcours_data() {
        QTest::addColumn<bool>("resume"); // the summary has the focus
        QTest::addColumn<QList<int>>("touches");
        QTest::addColumn<QStringList>("titres"); // shown after each key

        const QList<int> tout = {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Right,
                                 Qt::Key_Left,  Qt::Key_PageUp,   Qt::Key_PageUp};
        const QStringList titres = {"Bravo", "Charlie", "Alpha", "Charlie", "Bravo", "Alpha"};
        QTest::newRow("depuis la barre d'outils") << false << tout << titres;
        QTest::newRow("depuis le résumé") << true << tout << titres;
        QTest::newRow("autres touches sans effet")
            << true << QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_Escape}
            << QStringList{"Alpha", "Alpha", "Alpha", "Alpha"};
    }

    // Left/Right and Page Up/Page Down go round the films in title order, as "<" and ">" do.
    void parcours() {
        QFETCH(bool, resume);
        QFETCH(QList<int>, touches);
        QFETCH(QStringList, titres);
        Banc b;
        cassette(QStringLiteral("FILM00:30:00Charlie/FILM00:30:00Alpha/FILM00:30:00Bravo/01:00:00"));
        Moniteur& m = b.demarrer();
        QVERIFY(activer(&m));
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Alpha"));
        if (resume)
            m.TxtDescription->setFocus();
        else
            m.BtnListeFilm->setFocus();
        QStringList vus;
        for (int k : touches) {
            touche(&m, Qt::Key(k));
            vus << m.LblTitre->text();
        }
        QCOMPARE(vus, titres);
        QVERIFY(m.isVisible());
    }

    // While the film list is open browsing is the list's: the keys leave the main window as it is.
    void parcoursCoupe() {
        Banc b;
        cassette(QStringLiteral("FILM00:30:00Alpha/FILM00:30:00Bravo/01:00:00"));
        Moniteur& m = b.demarrer();
        m.BtnNextFilm->setEnabled(false);
        m.BtnPreviousFilm->setEnabled(false);
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Left})
            touche(&m, k);
        QCOMPARE(m.LblTitre->text(), QStringLiteral("Alpha"));
    }
};

QTEST_MAIN(TestClavier)
#include "tst_clavier.moc"
