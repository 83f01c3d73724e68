#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Barre.h"
#include "screens/common/Fenetres.h"
#include "screens/common/Feuille.h"
#include "screens/common/Grille.h"
#include "screens/common/Unites.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

namespace {

// A widget holding the two label arrays of a bar, shaped like the main window's.
struct Banc {
    QWidget hote;
    AvecBarre barre{new Etiquette(&hote), new Etiquette(&hote)};
    Banc() {
        hote.resize(700, 500);
        barre.shape(0).placer(3840, 6630, 3885, 540);
        barre.lblDuree(0).placer(3840, 7170, 705, 225);
    }
};

QChar couleur(const Etiquette& e) {
    switch (e.BackColor()) {
    case Unites::Rouge:
        return QLatin1Char('R');
    case Unites::Blanc:
        return QLatin1Char('B');
    case Unites::Jaune:
        return QLatin1Char('J');
    }
    return QLatin1Char('?');
}

QString couleurs(const AvecBarre& b) {
    QString c;
    for (int i = 0; i <= b.shape.UBound(); ++i)
        c += couleur(b.shape(i));
    return c;
}

// Each segment as "colour|caption|width|length label".
QStringList segments(const AvecBarre& b) {
    QStringList s;
    for (int i = 0; i <= b.shape.UBound(); ++i)
        s << QStringLiteral("%1|%2|%3|%4")
                 .arg(couleur(b.shape(i)))
                 .arg(b.shape(i).Caption())
                 .arg(b.shape(i).Width())
                 .arg(b.lblDuree(i).Caption());
    return s;
}

QStringList lignes(const Grille& g) {
    QStringList l;
    for (int r = 0; r < g.Rows(); ++r) {
        QStringList cellules;
        for (int c = 0; c < g.Cols(); ++c)
            cellules << g.TextMatrix(r, c);
        l << cellules.join(QLatin1Char('|'));
    }
    return l;
}

class Essai : public Feuille {
    Q_OBJECT
public:
    int chargements = 0;
    int activations = 0;
    int dechargements = 0;
    bool refuser = false;

protected:
    void Form_Load() override { ++chargements; }
    void Form_Activate() override { ++activations; }
    bool Form_QueryUnload() override { return !refuser; }
    void Form_Unload() override { ++dechargements; }
};

// A form with nothing to show closes itself while loading, as the choice screens do.
class FermeeAuChargement : public Feuille {
    Q_OBJECT

protected:
    void Form_Load() override { Unload(); }
};

} // namespace

class TestCommun : public QObject {
    Q_OBJECT

private slots:
    void dessineCassette_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("duree");
        QTest::addColumn<QList<int>>("place"); // left, top, width, height of the bar
        QTest::addColumn<QStringList>("attendu");
        QTest::addColumn<QStringList>("bulles"); // what each segment's hint says of it, when given
        auto cas = [](const char* nom, const char* status, const char* duree, QList<int> place,
                      QStringList attendu, QStringList bulles = {}) {
            QTest::newRow(nom) << QString(status) << QString(duree) << place << attendu << bulles;
        };
        const QList<int> moniteur{3840, 6630, 3885, 540};
        cas("cassette neuve", "03:00:00", "03:00:00", moniteur, {"B||3885|03:00:00"},
            {"Libre — de 00:00:00 à 03:00:00 (3 h)"});
        // 1942.5 twips: the control rounds to whole pixels and reports 1950.
        cas("un film, un reste", "FILM01:30:00Titre/01:30:00", "03:00:00", moniteur,
            {"R|Titre|1950|01:30:00", "B||1950|01:30:00"},
            {"Titre — de 00:00:00 à 01:30:00", "Libre — de 01:30:00 à 03:00:00 (1 h 30)"});
        cas("quatre champs", "FILM00:20:00A/00:40:00/FILM01:30:00Les Visiteurs/00:30:00", "03:00:00",
            moniteur,
            {"R|A|435|00:20:00", "B||870|00:40:00", "R|Les Visiteurs|1950|01:30:00", "B||645|00:30:00"},
            {"A — de 00:00:00 à 00:20:00", "Libre — de 00:20:00 à 01:00:00 (40 min)",
             "Les Visiteurs — de 01:00:00 à 02:30:00", "Libre — de 02:30:00 à 03:00:00 (30 min)"});
        cas("film sans titre", "FILM01:00:00/02:00:00", "03:00:00", moniteur,
            {"R||1290|01:00:00", "B||2595|02:00:00"});
        cas("autre écran", "FILM02:00:00Long/FILM01:00:00Court/01:00:00", "04:00:00", {120, 1500, 6000, 300},
            {"R|Long|3000|02:00:00", "R|Court|1500|01:00:00", "B||1500|01:00:00"});
        // Short stretches crowd their labels together and against the bar's ends (the choice
        // screen's bar ends 200 twips short of its panel).
        const QList<int> choix{1380, 420, 4820, 540};
        cas("films d'une minute", "FILM00:01:00A/FILM00:01:00B/FILM00:01:00C/FILM00:01:00D/03:56:00",
            "04:00:00", moniteur, {});
        cas("minute au bout", "FILM03:59:00Long/00:01:00", "04:00:00", choix, {});
        cas("trois minutes au bout", "FILM03:54:00Long/FILM00:03:00Court/00:03:00", "04:00:00", choix, {});
        cas("minute en tête", "00:01:00/FILM00:01:00A/FILM03:58:00Long", "04:00:00", moniteur, {});
        cas("titre plus long que son segment",
            "FILM01:52:00Les Aventures extraordinaires d'Adèle Blanc-Sec et le mystère de la momie perdue/"
            "FILM00:01:00Court/02:07:00",
            "04:00:00", moniteur, {});
        cas("courts et longs mêlés",
            "FILM00:05:00A/00:03:00/FILM01:00:00B/00:02:00/FILM00:04:00C/00:01:00/FILM02:45:00D", "04:00:00",
            choix, {});
    }

    void dessineCassette() {
        QFETCH(QString, status);
        QFETCH(QString, duree);
        QFETCH(QList<int>, place);
        QFETCH(QStringList, attendu);
        QFETCH(QStringList, bulles);
        Banc banc;
        AvecBarre& b = banc.barre;
        Fonctions::DessineCassette(status, duree, b, place[0], place[1], place[2], place[3]);
        int debut = 0;

        if (!attendu.isEmpty())
            QCOMPARE(segments(b), attendu);
        QCOMPARE(b.lblDuree.UBound(), b.shape.UBound());
        QVERIFY(qAbs(b.shape(0).Left() - place[0]) <= Unites::TwipsParPixel / 2);
        int total = 0;
        QList<QRect> etiquettes;
        const QRect barre(b.shape(0).x(), 0, Unites::pixels(place[0] + place[2]) - b.shape(0).x(), 10000);
        for (int i = 0; i <= b.shape.UBound(); ++i) {
            const Etiquette& s = b.shape(i);
            const Etiquette& d = b.lblDuree(i);
            QVERIFY(!s.isHidden());
            QCOMPARE(s.Top(), place[1]);
            if (i > 0)
                QCOMPARE(s.Left(), b.shape(i - 1).Left() + b.shape(i - 1).Width());
            total += s.Width();
            // Whatever label is left out, the hint says where the segment lies; a title is cut, never
            // clipped.
            const int fin = debut + Outils::HeureEnSecondes(d.Caption());
            QVERIFY(
                s.toolTip().contains(QStringLiteral("de %1 à %2")
                                         .arg(Outils::SecondesEnHeure(debut), Outils::SecondesEnHeure(fin))));
            debut = fin;
            if (!bulles.isEmpty())
                QVERIFY2(s.toolTip().contains(bulles[i].toHtmlEscaped()), qPrintable(s.toolTip()));
            QVERIFY(s.toolTip().contains(s.Caption().toHtmlEscaped()));
            const QRect texte = s.fontMetrics().boundingRect(s.contentsRect(), Qt::TextWordWrap, s.text());
            QVERIFY2(s.contentsRect().contains(texte), qPrintable(s.text()));
            if (d.isHidden())
                continue;
            // A label shown is whole, under or over the bar, within its ends, over its
            // segment, and clear of the others.
            const QRect r = d.geometry();
            QVERIFY(d.fontMetrics().horizontalAdvance(d.Caption()) <= d.contentsRect().width());
            QVERIFY(d.Top() == place[1] + place[3] || d.Top() == place[1] - d.Height());
            QVERIFY2(barre.contains(r) && banc.hote.rect().contains(r), qPrintable(d.Caption()));
            QVERIFY(r.left() <= s.x() + s.width() / 2 && s.x() + s.width() / 2 <= r.right() + 1);
            for (const QRect& autre : etiquettes)
                QVERIFY2(!autre.intersects(r), qPrintable(QStringLiteral("étiquette %1").arg(i)));
            etiquettes << r;
        }
        // Long stretches keep every label.
        if (!attendu.isEmpty())
            QCOMPARE(etiquettes.size(), b.shape.UBound() + 1);
        QVERIFY(qAbs(total - place[2]) <= Unites::TwipsParPixel * (b.shape.UBound() + 1));
    }

    // A redraw destroys the previous drawing's extra elements, it does not only hide them.
    void redessinSansReste() {
        Banc banc;
        AvecBarre& b = banc.barre;
        const QString quatre = QStringLiteral("FILM00:20:00A/00:40:00/FILM01:30:00B/00:30:00");
        Fonctions::DessineCassette(quatre, "03:00:00", b, 3840, 6630, 3885, 540);
        Fonctions::DessineCassette(quatre, "03:00:00", b, 3840, 6630, 3885, 540);
        QCOMPARE(banc.hote.findChildren<Etiquette*>().size(), 8);

        Fonctions::DessineCassette("03:00:00", "03:00:00", b, 3840, 6630, 3885, 540);
        QCOMPARE(segments(b), QStringList{"B||3885|03:00:00"});
        QCOMPARE(b.lblDuree.UBound(), 0);
        QCOMPARE(banc.hote.findChildren<Etiquette*>().size(), 2);

        // No record at all (a film without cassette): nothing of the bar is shown.
        Fonctions::DessineCassette(QString(), QString(), b, 3840, 6630, 3885, 540);
        QVERIFY(b.shape(0).isHidden() && b.lblDuree(0).isHidden());
    }

    void changePlage_data() {
        QTest::addColumn<bool>("marquer");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("dureeFilm");
        QTest::addColumn<QString>("attendu");
        auto cas = [](const char* nom, bool marquer, int index, const char* duree, const char* attendu) {
            QTest::newRow(nom) << marquer << index << QString(duree) << QString(attendu);
        };
        // Segments: film A, free 01:30, untitled film, free 01:00, film B, free 01:30.
        cas("segment de film", true, 0, "00:30:00", "RJRBRB");
        cas("film au titre vide", true, 2, "00:30:00", "RJRBRB");
        cas("plage trop courte", true, 3, "01:30:00", "RJRBRB");
        cas("plage déjà choisie", true, 1, "01:30:00", "RJRBRB");
        cas("hors de la barre", true, 6, "00:30:00", "RJRBRB");
        cas("index négatif", true, -1, "00:30:00", "RJRBRB");
        cas("plage de même longueur", true, 5, "01:30:00", "RBRBRJ");
        cas("plage plus longue", true, 3, "00:45:00", "RBRJRB");
        cas("sans choix préalable", false, 3, "00:45:00", "RBRJRB");
        cas("sans choix, sur un film", false, 0, "00:45:00", "RBRBRB");
    }

    void changePlage() {
        QFETCH(bool, marquer);
        QFETCH(int, index);
        QFETCH(QString, dureeFilm);
        QFETCH(QString, attendu);
        Banc banc;
        const QString status =
            QStringLiteral("FILM01:00:00A/01:30:00/FILM00:30:00/01:00:00/FILM00:30:00B/01:30:00");
        Fonctions::DessineCassette(status, "06:00:00", banc.barre, 3840, 6630, 3885, 540);
        if (marquer) {
            // The first equal field is the one painted.
            Fonctions::MarquePlage(status, "01:30:00", banc.barre);
            QCOMPARE(couleurs(banc.barre), QStringLiteral("RJRBRB"));
        }
        Fonctions::ChangePlage(index, dureeFilm, banc.barre);
        QCOMPARE(couleurs(banc.barre), attendu);
        QCOMPARE(banc.barre.shape(2).Caption(), QString());
    }

    void tableauEtiquettes() {
        QWidget hote;
        auto* zero = new Etiquette(&hote);
        zero->placer(300, 600, 705, 225);
        zero->setBackColor(0xE0E0E0);
        TableauEtiquettes t(zero);
        QSignalSpy clics(&t, &TableauEtiquettes::Click);
        QCOMPARE(t.UBound(), 0);
        for (int i = 0; i < 3; ++i)
            t.Load();
        QCOMPARE(t.UBound(), 3);
        const Etiquette& copie = t(2);
        QCOMPARE(copie.parentWidget(), &hote);
        QCOMPARE(copie.geometry(), zero->geometry());
        QCOMPARE(copie.BackColor(), 0xE0E0E0);
        QVERIFY(copie.isHidden());

        hote.show();
        t(2).show();
        QTest::mouseClick(&t(2), Qt::LeftButton);
        QCOMPARE(clics.size(), 1);
        QCOMPARE(clics.at(0).at(0).toInt(), 2);

        t.UnloadAuDela(1);
        QCOMPARE(t.UBound(), 1);
        QCOMPARE(hote.findChildren<Etiquette*>().size(), 2);
        for (int i = 0; i < 3; ++i)
            t.UnloadDernier();
        QCOMPARE(t.UBound(), 0); // element 0 is designed, never destroyed
        QCOMPARE(&t(0), zero);

        // A new element takes the index of the destroyed one.
        t.Load().show();
        QTest::mouseClick(&t(1), Qt::LeftButton);
        QCOMPARE(clics.last().at(0).toInt(), 1);
    }

    // Screens act on a changed current cell whether the user or the code moved it.
    void grilleEvenements_data() {
        QTest::addColumn<QString>("propriete");
        QTest::addColumn<int>("valeur");
        QTest::addColumn<QList<int>>("attendu"); // Row, Col, RowSel, ColSel
        QTest::addColumn<int>("rowColChange");
        QTest::addColumn<int>("selChange");
        QTest::newRow("Row") << "Row" << 3 << QList<int>{3, 0, 3, 0} << 1 << 1;
        QTest::newRow("Row inchangée") << "Row" << 1 << QList<int>{1, 0, 1, 0} << 0 << 1;
        QTest::newRow("Col") << "Col" << 2 << QList<int>{1, 2, 1, 2} << 1 << 1;
        QTest::newRow("ColSel") << "ColSel" << 2 << QList<int>{1, 0, 1, 2} << 0 << 1;
        QTest::newRow("RowSel") << "RowSel" << 4 << QList<int>{1, 0, 4, 0} << 0 << 1;
        QTest::newRow("Row hors grille") << "Row" << 9 << QList<int>{1, 0, 1, 0} << 0 << 0;
        QTest::newRow("clic") << "clic" << 3 << QList<int>{3, 1, 3, 1} << 1 << 1;
    }

    void grilleEvenements() {
        QFETCH(QString, propriete);
        QFETCH(int, valeur);
        QFETCH(QList<int>, attendu);
        QFETCH(int, rowColChange);
        QFETCH(int, selChange);
        Grille g;
        g.setCols(3);
        g.setRows(5);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                g.setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
        g.resize(400, 300);
        g.show();
        g.setRow(1);
        g.setCol(0);
        QSignalSpy rcc(&g, &Grille::RowColChange);
        QSignalSpy sc(&g, &Grille::SelChange);
        // What a handler reads when the event arrives.
        QString vu;
        connect(&g, &Grille::RowColChange, &g, [&] { vu = g.TextMatrix(g.Row(), g.Col()); });

        if (propriete == QLatin1String("Row"))
            g.setRow(valeur);
        else if (propriete == QLatin1String("Col"))
            g.setCol(valeur);
        else if (propriete == QLatin1String("ColSel"))
            g.setColSel(valeur);
        else if (propriete == QLatin1String("RowSel"))
            g.setRowSel(valeur);
        else
            QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                              g.visualRect(g.model()->index(valeur - 1, 1)).center());

        QCOMPARE((QList<int>{g.Row(), g.Col(), g.RowSel(), g.ColSel()}), attendu);
        QCOMPARE(rcc.size(), rowColChange);
        QCOMPARE(sc.size(), selChange);
        if (rowColChange)
            QCOMPARE(vu, QStringLiteral("%1,%2").arg(attendu[0]).arg(attendu[1]));
    }

    void grilleLignes() {
        Grille g;
        g.setCols(3);
        g.setRows(1);
        for (int c = 0; c < 3; ++c)
            g.setTextMatrix(0, c, QStringLiteral("T%1").arg(c));
        g.AddItem(QStringLiteral("a\tb\tc"));
        g.AddItem(QStringLiteral("d"));          // missing cells are empty
        g.AddItem(QStringLiteral("1\t2\t3\t4")); // extra cells are dropped
        g.AddItem(QStringLiteral("x\ty\tz"), 1); // inserted before the first row
        QCOMPARE(lignes(g), (QStringList{"T0|T1|T2", "x|y|z", "a|b|c", "d||", "1|2|3"}));
        // The view shows row 0 as its header and row r as its row r - 1.
        QCOMPARE(g.model()->rowCount(), 4);
        QCOMPARE(g.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("T1"));
        QCOMPARE(g.model()->index(1, 2).data().toString(), QStringLiteral("c"));

        g.RemoveItem(0); // the header stays
        g.RemoveItem(9);
        g.RemoveItem(2);
        QCOMPARE(lignes(g), (QStringList{"T0|T1|T2", "x|y|z", "d||", "1|2|3"}));
        QCOMPARE(g.TextMatrix(7, 1), QString());
        g.setTextMatrix(7, 1, QStringLiteral("hors grille"));
        QCOMPARE(g.Rows(), 4);

        // Removing the current last row leaves a current row inside the grid.
        g.setRow(3);
        g.RemoveItem(3);
        QCOMPARE(g.Row(), 2);
        QCOMPARE(g.RowSel(), 2);
    }

    void trieColonne_data() {
        QTest::addColumn<QString>("tagAvant");
        QTest::addColumn<QList<int>>("clics"); // columns clicked in turn
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("ordre"); // the numbers of column 1, top to bottom
        auto cas = [](const char* nom, const char* avant, QList<int> clics, const char* tag,
                      const char* ordre) {
            QTest::newRow(nom) << QString(avant) << clics << QString(tag) << QString(ordre);
        };
        cas("texte", "", {0}, "TRI/000/ 7", "2,100,9,10");
        cas("texte, deux fois", "", {0, 0}, "TRI/000/ 8", "10,9,100,2");
        cas("texte, trois fois", "", {0, 0, 0}, "TRI/000/ 7", "2,100,9,10");
        cas("nombres", "", {1}, "TRI/001/ 3", "2,9,10,100");
        cas("nombres, deux fois", "", {1, 1}, "TRI/001/ 4", "100,10,9,2");
        cas("autre colonne", "", {0, 2}, "TRI/002/ 7", "9,100,10,2");
        cas("retour à la première", "", {0, 0, 2, 0}, "TRI/000/ 7", "2,100,9,10");
        cas("étiquette étrangère", "bleu", {0}, "TRI/000/ 7", "2,100,9,10");
        cas("décroissant déjà noté", "TRI/000/ 8", {0}, "TRI/000/ 7", "2,100,9,10");
    }

    void trieColonne() {
        QFETCH(QString, tagAvant);
        QFETCH(QList<int>, clics);
        QFETCH(QString, tag);
        QFETCH(QString, ordre);
        Grille g;
        g.setCols(3);
        g.setRows(1);
        for (int c = 0; c < 3; ++c)
            g.setTextMatrix(0, c, QStringList{"Titre", "Numéro", "Genre"}[c]);
        const QStringList films{"K7 10\t10\tDrame", "alien\t2\tWestern", "Été\t100\tComédie",
                                "K7 9\t9\tAventure"};
        for (const QString& f : films)
            g.AddItem(f);
        g.setColData(1, 1);
        g.setTag(tagAvant);
        for (int c : clics)
            TrieColonne(g, c, 1, g.Rows() - 1);

        QCOMPARE(g.Tag(), tag);
        QStringList numeros;
        for (int r = 1; r < g.Rows(); ++r) {
            numeros << g.TextMatrix(r, 1);
            // Whole rows move together.
            QVERIFY(films.contains(
                QStringList{g.TextMatrix(r, 0), g.TextMatrix(r, 1), g.TextMatrix(r, 2)}.join('\t')));
        }
        QCOMPARE(numeros.join(QLatin1Char(',')), ordre);
        QCOMPARE(g.TextMatrix(0, 0), QStringLiteral("Titre"));
        QCOMPARE((QList<int>{g.Row(), g.RowSel(), g.Col(), g.ColSel()}),
                 (QList<int>{1, g.Rows() - 1, clics.last(), clics.last()}));
    }

    // Past 20,000 rows the keys are read in two halves at once: the order must not show it.
    void trieGrandeColonne() {
        Grille g;
        g.setCols(2);
        g.setRows(1);
        const QStringList titres{"K7 10", "alien", "Été", "K7 9"};
        constexpr int N = 25000;
        QRandomGenerator hasard(7);
        QVector<int> titre(N);
        {
            Grille::Remplissage remplissage(g);
            for (int i = 0; i < N; ++i) {
                titre[i] = int(hasard.bounded(4));
                g.AddItem(QStringList{titres[titre[i]], QString::number(i)});
            }
        }
        TrieColonne(g, 0, 1, g.Rows() - 1);
        QStringList attendu;
        for (const int groupe : {1, 2, 3, 0}) { // alien, Été, K7 9, K7 10; equal titles keep their order
            for (int i = 0; i < N; ++i) {
                if (titre[i] == groupe)
                    attendu << titres[groupe] + QLatin1Char('/') + QString::number(i);
            }
        }
        QStringList lu;
        for (int r = 1; r < g.Rows(); ++r)
            lu << g.TextMatrix(r, 0) + QLatin1Char('/') + g.TextMatrix(r, 1);
        QCOMPARE(lu, attendu);
    }

    void feuilleCycle() {
        QCOMPARE(Feuille::chargee<Essai>(), nullptr);
        QPointer<Essai> f = new Essai;
        f->Show();
        f->Show();
        QCOMPARE(f->chargements, 1);
        QCOMPARE(Feuille::chargee<Essai>(), f.data());

        // A refused close keeps the form, by the close box and by Escape alike.
        f->refuser = true;
        QVERIFY(!f->Unload());
        QTest::keyClick(f, Qt::Key_Escape);
        QVERIFY(f->isVisible());
        QCOMPARE(f->dechargements, 0);
        QCOMPARE(Feuille::chargee<Essai>(), f.data());

        f->refuser = false;
        QVERIFY(f->Unload());
        QCOMPARE(f->dechargements, 1);
        QCOMPARE(Feuille::chargee<Essai>(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.isNull());

        // The next opening starts afresh.
        QPointer<Essai> g = new Essai;
        g->Show();
        QCOMPARE(g->chargements, 1);
        QCOMPARE(g->activations, 1);
        delete g;
    }

    // A long command lets repaints and timers run, never the user's keys and clicks: they wait
    // for the command's end, and are not lost.
    void pompeSansSaisie() {
        QLineEdit saisie;
        saisie.show();
        saisie.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&saisie));
        bool minuterie = false;
        QTimer::singleShot(0, [&] { minuterie = true; });
        // Queued as the window system queues a key typed while the command runs.
        using Systeme = QWindowSystemInterface;
        QWindow* fenetre = saisie.windowHandle();
        Systeme::handleKeyEvent<Systeme::AsynchronousDelivery>(fenetre, QEvent::KeyPress, Qt::Key_A,
                                                               Qt::NoModifier, QStringLiteral("a"));
        Systeme::handleKeyEvent<Systeme::AsynchronousDelivery>(fenetre, QEvent::KeyRelease, Qt::Key_A,
                                                               Qt::NoModifier, QStringLiteral("a"));
        Appli::DoEvents();
        QVERIFY(minuterie);
        QCOMPARE(saisie.text(), QString());
        QCoreApplication::processEvents();
        QCOMPARE(saisie.text(), QStringLiteral("a"));
    }

    // The pointer stays an hourglass until the outermost command ends, whatever the inner ones do.
    void sabliersImbriques() {
        const auto sablier = [] { return QApplication::overrideCursor() != nullptr; };
        {
            Appli::Sablier commande;
            { Appli::Sablier partie; }
            QVERIFY(sablier());
            {
                Appli::Sablier partie;
                Appli::defaut(); // a step that gives the pointer back before a message
            }
            QVERIFY(sablier());
        }
        QVERIFY(!sablier());
    }

    // A form that closes itself while loading returns from ShowModal at once.
    void feuilleFermeeAuChargement() {
        bool bloquee = false;
        QTimer garde;
        garde.setSingleShot(true);
        connect(&garde, &QTimer::timeout, [&] {
            bloquee = true;
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        garde.start(2000);
        (new FermeeAuChargement)->ShowModal();
        QVERIFY(!bloquee);
    }

    // Frames of the main window (633 × 541, title bar and toolbar in its top 85 pixels), of the
    // film list and of the help window, on common screens and with the main window at the edges.
    void placementACote_data() {
        QTest::addColumn<QRect>("ecran");
        QTest::addColumn<QPoint>("principale");
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<QString>("attendu");
        const QSize liste(724, 145);
        const QSize aide(778, 512);
        const QRect e1280(0, 0, 1280, 800);
        const QRect e1024(0, 0, 1024, 768);
        const QRect e1920(0, 0, 1920, 1080);
        QTest::newRow("1280, liste") << e1280 << QPoint(323, 129) << liste << "dessous";
        QTest::newRow("1280, aide") << e1280 << QPoint(323, 129) << aide << "dessous";
        QTest::newRow("1280, principale à droite hors écran")
            << e1280 << QPoint(1000, 100) << aide << "dessous";
        QTest::newRow("1280, principale en haut hors écran")
            << e1280 << QPoint(300, -40) << liste << "dessous";
        QTest::newRow("1024, liste") << e1024 << QPoint(195, 113) << liste << "dessous";
        QTest::newRow("1024, principale en bas, aide") << e1024 << QPoint(195, 227) << aide << "écran";
        QTest::newRow("1920, au centre") << e1920 << QPoint(643, 269) << liste << "côté";
        QTest::newRow("1920, à gauche") << e1920 << QPoint(0, 0) << liste << "côté";
        QTest::newRow("1920, à droite") << e1920 << QPoint(1287, 0) << aide << "côté";
        QTest::newRow("1920, à droite hors écran") << e1920 << QPoint(1700, 500) << aide << "côté";
        QTest::newRow("second écran sous une barre")
            << QRect(1920, 30, 1280, 770) << QPoint(2200, 40) << liste << "dessous";
    }

    void placementACote() {
        QFETCH(QRect, ecran);
        QFETCH(QPoint, principale);
        QFETCH(QSize, taille);
        QFETCH(QString, attendu);
        const QRect avant(principale, QSize(633, 541));
        const int bandeau = 85;
        const Fenetres::Placement p = Fenetres::aCote(ecran, avant, taille, bandeau);
        const QRect apres(p.principale, avant.size());
        QCOMPARE(p.fenetre.size(), taille);
        QVERIFY(ecran.contains(p.fenetre));
        QCOMPARE(apres.top(), avant.top());
        if (attendu == QStringLiteral("côté")) {
            QVERIFY(ecran.contains(apres));
            QVERIFY(!p.fenetre.intersects(apres));
        } else {
            QCOMPARE(apres, avant);
        }
        if (attendu == QStringLiteral("dessous"))
            QVERIFY(p.fenetre.top() >= qMax(avant.top() + bandeau, ecran.top()));
    }

    // A title of any length shows whole, shrunk no more than it must, in the title boxes of the
    // main window and of the placement summary.
    void texteAjuste_data() {
        QTest::addColumn<QSize>("zone"); // twips
        QTest::addColumn<qreal>("taille");
        QTest::addColumn<QString>("titre");
        const QString long_ = QStringLiteral(
            "Les Aventures extraordinaires d'Adèle Blanc-Sec et le Fabuleux Destin d'une cassette oubliée");
        for (const int n : {1, 20, 47, 60, 77, 80}) {
            QTest::addRow("fenêtre principale, %d", n) << QSize(4785, 825) << 15.75 << long_.left(n);
            QTest::addRow("résumé, %d", n) << QSize(5160, 540) << 12.0 << long_.left(n);
        }
    }

    void texteAjuste() {
        QFETCH(QSize, zone);
        QFETCH(qreal, taille);
        QFETCH(QString, titre);
        QLabel l;
        l.setFont(Unites::police(QStringLiteral("Arial Black"), taille));
        l.resize(Unites::pixels(zone.width()), Unites::pixels(zone.height()));
        Fenetres::ajusterTexte(&l, titre, taille);
        QCOMPARE(l.text(), titre);
        const QRect dedans = l.contentsRect();
        const QRect occupe =
            QFontMetrics(l.font()).boundingRect(dedans, Qt::AlignCenter | Qt::TextWordWrap, titre);
        QVERIFY2(dedans.contains(occupe), qPrintable(QStringLiteral("%1 pt").arg(l.font().pointSizeF())));
        if (titre.size() <= 20)
            QCOMPARE(l.font().pointSizeF(), taille);
        QVERIFY(l.font().pointSizeF() >= 7);
    }
};

QTEST_MAIN(TestCommun)
#include "tst_commun.moc"
