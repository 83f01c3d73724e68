// The search for cassettes with a free stretch long enough: the clock-like entry as the user
// types in it, the cassettes listed, and the selected one drawn with its stretch in yellow.

#include "screens/common/Unites.h"
#include "screens/film/AjoutK7.h"
#include "screens/views/ConsultK7.h"
#include "tests/support/Banc.h"

#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

using namespace banc;

namespace {

const QString Aucune = QStringLiteral("|Aucune     cassette|de     Disponible|");

QString entree(const ConsultK7& c) {
    return c.LblHH->text() + QLatin1Char(':') + c.LblMM->text() + QLatin1Char(':') + c.LblSS->text();
}

QLineEdit* champ(const ConsultK7& c, int i) {
    return QList<QLineEdit*>{c.LblHH, c.LblMM, c.LblSS}.at(i);
}

// Clicks a field of the clock, then types wherever the focus goes; "^V" pastes what follows.
void taperDans(const ConsultK7& c, int numero, const QString& touches) {
    QTest::mouseClick(champ(c, numero), Qt::LeftButton);
    if (touches.startsWith(QLatin1String("^V"))) {
        QApplication::clipboard()->setText(touches.mid(2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        return;
    }
    for (const QChar t : touches) {
        QWidget* w = QApplication::focusWidget();
        QVERIFY(w);
        taper(w, QString(t));
    }
}

// Opens the search from the toolbar; what the user does there runs while it is open, then its
// Ok button closes it.
void rechercher(Moniteur& m, std::function<void(ConsultK7&)> geste) {
    puis([geste] {
        QPointer<ConsultK7> c = Feuille::chargee<ConsultK7>();
        QVERIFY(c && c->isVisible());
        c->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c));
        geste(*c);
        if (c && c->isVisible())
            QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
    });
    QTest::mouseClick(m.BtnRechercheK7, Qt::LeftButton);
}

// Cassette 2 is full; cassette 5 has 40 minutes free in two stretches of 20.
void catalogue() {
    for (const char* s : {"FILM01:00:00A/00:30:00/FILM01:00:00B/01:30:00", "FILM03:00:00Plein", "04:00:00",
                          "FILM02:00:00C/00:45:00", "00:20:00/FILM01:00:00D/00:20:00"})
        cassette(QString::fromUtf8(s));
}

} // namespace

class TestConsultK7 : public QObject {
    Q_OBJECT

private slots:
    void resultats_data() {
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

    // Each cassette with one stretch long enough, the least free first, with its best stretch.
    void resultats() {
        QFETCH(QString, touches);
        QFETCH(QStringList, lignes);
        QFETCH(QString, dessin);
        Banc b;
        catalogue();
        Moniteur& m = b.demarrer();
        rechercher(m, [&](ConsultK7& c) {
            QCOMPARE(entree(c), QStringLiteral("00:00:00"));
            taperDans(c, 0, touches);
            const Grille& g = *c.TableK7Libre;
            QCOMPARE(banc::lignes(g, 4), lignes);
            const bool trouve = lignes.first() != Aucune;
            QCOMPARE(c.FrmInfosK7->isVisible(), trouve);
            QCOMPARE(c.ListeRemplie, trouve);
            if (!trouve) {
                QCOMPARE(c.LblChoixK7->text(),
                         QStringLiteral("Aucune cassette n'a été trouvée pour la durée demandée"));
                return;
            }
            QCOMPARE(c.LblChoixK7->text(),
                     QStringLiteral("Liste des cassettes libre pour la plage demandée :"));
            QCOMPARE(g.Row(), 1);
            QCOMPARE(g.ColSel(), 3);
            QCOMPARE(c.lblNumK7->text(), g.TextMatrix(1, 0));
            QCOMPARE(barre(c), dessin);
            // The frame sits below the grid, the buttons below the frame.
            QVERIFY(c.FrmInfosK7->geometry().top() > g.geometry().bottom());
            QVERIFY(c.BtnValiderK7->geometry().top() > c.FrmInfosK7->geometry().bottom());
        });
        QVERIFY(!Feuille::chargee<ConsultK7>());
        QCOMPARE(b.repondeur.messages().size(), 0);
    }

    void saisie_data() {
        QTest::addColumn<int>("numero"); // the field clicked: hours, minutes, seconds
        QTest::addColumn<QString>("touches");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("recherche");
        QTest::newRow("heures 7 puis 5 : 23") << 0 << "75"
                                              << "23:00:00" << 1 << true;
        QTest::newRow("heures 0 puis 1") << 0 << "01"
                                         << "01:00:00" << 1 << true;
        QTest::newRow("un chiffre attend le second") << 0 << "1"
                                                     << "1:00:00" << 0 << false;
        QTest::newRow("lettre") << 0 << "h"
                                << "00:00:00" << 0 << false;
        // Digits only: whatever else is typed or pasted is refused, the field keeps its digits.
        QTest::newRow("chiffre puis lettre") << 1 << "4x"
                                             << "00:4:00" << 1 << false;
        QTest::newRow("signe collé") << 0 << "^V-5"
                                     << "00:00:00" << 0 << false;
        QTest::newRow("point collé") << 1 << "^V.5"
                                     << "00:00:00" << 1 << false;
        QTest::newRow("chiffres collés") << 0 << "^V07"
                                         << "07:00:00" << 1 << true;
        QTest::newRow("minutes 7 puis 5 : 59") << 1 << "75"
                                               << "00:59:00" << 2 << true;
        QTest::newRow("secondes : retour aux heures") << 2 << "60"
                                                      << "00:00:59" << 0 << true;
        QTest::newRow("d'un trait") << 0 << "013000"
                                    << "01:30:00" << 0 << true;
    }

    // A completed field searches and hands the typing to the next field, its digits selected.
    void saisie() {
        QFETCH(int, numero);
        QFETCH(QString, touches);
        QFETCH(QString, texte);
        QFETCH(int, focus);
        QFETCH(bool, recherche);
        Banc b;
        catalogue();
        Moniteur& m = b.demarrer();
        rechercher(m, [&](ConsultK7& c) {
            // A cassette added behind the screen's back shows only if a search runs.
            const QString k7 = QString::number(b.dossier.ajouterCassette(QStringLiteral("23:59:59")));
            taperDans(c, numero, touches);
            QCOMPARE(entree(c), texte);
            QLineEdit* suivant = champ(c, focus);
            QCOMPARE(QApplication::focusWidget(), suivant);
            if (suivant->text().size() == 2)
                QCOMPARE(suivant->selectedText(), suivant->text());
            const Grille& g = *c.TableK7Libre;
            bool liste = false;
            for (int r = 1; r < g.Rows(); ++r)
                liste = liste || g.TextMatrix(r, 0) == k7;
            QCOMPARE(liste, recherche);
            if (recherche)
                QCOMPARE(g.TextMatrix(1, 0), c.lblNumK7->text());
        });
    }

    void defilement_data() {
        QTest::addColumn<int>("nombre");
        QTest::newRow("quatre") << 4;
        QTest::newRow("cinq") << 5;
        QTest::newRow("huit") << 8;
    }

    // Four results show at once, the others scroll; another row draws its own cassette.
    void defilement() {
        QFETCH(int, nombre);
        Banc b;
        for (int i = nombre; i >= 1; --i)
            cassette(QStringLiteral("FILM00:30:00Film %1/0%1:00:00").arg(i));
        Moniteur& m = b.demarrer();
        rechercher(m, [&](ConsultK7& c) {
            Grille& g = *c.TableK7Libre;
            QCOMPARE(g.Rows(), nombre + 1);
            QCOMPARE(lignesVisibles(g), 4);
            QVERIFY(g.viewport()->height() < 5 * g.rowHeight(0));
            QCOMPARE(g.verticalScrollBar()->maximum() > 0, nombre > 4);
            QCOMPARE(barre(c), QStringLiteral("R00:30:00 J01:00:00"));
            for (int r : {3, nombre, 2}) {
                cliquerLigne(g, r);
                QCOMPARE(g.Row(), r);
                QCOMPARE(c.lblNumK7->text(), g.TextMatrix(r, 0));
                QCOMPARE(barre(c), QStringLiteral("R00:30:00 J0%1:00:00").arg(r));
            }
            // A widened column takes its room from the others, within the grid.
            tirerBord(g, 0, 200);
            QVERIFY(colonnesAjustees(g));
        });
    }

    // Back from the cassette creation, the search runs again for the duration typed.
    void ajoutCassette() {
        Banc b;
        Moniteur& m = b.demarrer();
        QVERIFY(!m.K7Presente);
        QStringList vu;
        puis([&] {
            ConsultK7* c = Feuille::chargee<ConsultK7>();
            QVERIFY(c);
            c->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(c));
            QCOMPARE(lignes(*c->TableK7Libre, 4), QStringList{Aucune});
            taperDans(*c, 0, QStringLiteral("02"));
            QCOMPARE(lignes(*c->TableK7Libre, 4), QStringList{Aucune});
            puis([&] {
                AjoutK7* k7 = Feuille::chargee<AjoutK7>();
                QVERIFY(k7);
                k7->TxtDuree->setText(QStringLiteral("03:00:00"));
                b.repondeur.attendre();
                QTest::mouseClick(k7->BtnAjouterK7, Qt::LeftButton);
            });
            QTest::mouseClick(c->BtnAjouterK7, Qt::LeftButton);
            vu = lignes(*c->TableK7Libre, 4) << barre(*c) << entree(*c);
            QVERIFY(c->FrmInfosK7->isVisible());
            QTest::mouseClick(c->BtnValiderK7, Qt::LeftButton);
        });
        m.MenuRechercheK7->trigger();
        QCOMPARE(vu, (QStringList{"1|03:00:00|0|03:00:00", "J03:00:00", "02:00:00"}));
        QVERIFY(m.K7Presente);
        QCOMPARE(b.dossier.invariants(), QStringList());
    }
};

QTEST_MAIN(TestConsultK7)
#include "tst_consultk7.moc"
