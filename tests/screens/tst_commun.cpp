// The screens' shared pieces (the tape's bar, the grid and its sort, a form's life, the event pump)
// and the printed lists and labels.

#include "catalogue/Outils.h"
#include "screens/common/Barre.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Etiquettes.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/print/ImpressionEtiquettes.h"
#include "tests/support/Banc.h"

#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <qpa/qwindowsysteminterface.h>

using namespace banc;

namespace {

// A panel holding a bar shaped like the main window's.
struct Hote {
    QWidget panneau;
    AvecBarre barre{new Etiquette(&panneau), new Etiquette(&panneau)};
    Hote() {
        panneau.resize(700, 500);
        barre.shape(0).placer(3840, 6630, 3885, 540);
        barre.lblDuree(0).placer(3840, 7170, 705, 225);
    }
    void dessiner(const QString& status, const QString& duree, QList<int> p = {3840, 6630, 3885, 540}) {
        Fonctions::DessineCassette(status, duree, barre, p[0], p[1], p[2], p[3]);
    }
    QString couleurs() const { return banc::barre(barre).remove(QRegularExpression("[^BJR]")); }
};

class Essai : public Feuille {
    Q_OBJECT
public:
    int chargements = 0, dechargements = 0;
    bool refuser = false, fermerAuChargement = false;

protected:
    void Form_Load() override {
        ++chargements;
        if (fermerAuChargement)
            Unload();
    }
    bool Form_QueryUnload() override { return !refuser; }
    void Form_Unload() override { ++dechargements; }
};

void remplirGrille(Grille& g, const QStringList& entetes, const QStringList& lignes) {
    g.setCols(int(entetes.size()));
    g.setRows(1);
    for (int c = 0; c < entetes.size(); ++c)
        g.setTextMatrix(0, c, entetes[c]);
    for (const QString& l : lignes)
        g.AddItem(l);
}

// The list as read: its title and subtitle, then its headers and the titles of its films in order.
QString ordre(const QString& texte) {
    QStringList l;
    for (const QString& ligne : texte.split('\n')) {
        const QString t = ligne.section("     ", 0, 0).section('\t', -1).trimmed();
        if (!t.isEmpty() && !t.startsWith("de "))
            l << t;
    }
    return l.join(',');
}

// Film numbers, tape order and the order of the placement rows differ; cassettes 3 and 4 have
// the same remaining time, and cassette 4 holds nothing.
void remplirListes() {
    executer(
        "INSERT INTO Film (Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, Genre, Description) "
        "VALUES ('alien', 'Ridley Scott', 'Sigourney Weaver', '01:57:00', '1979', '', 'Science-fiction', ''),"
        "('Zorro', 'Duccio Tessari', 'Alain Delon', '01:30:00', '1975', 'Italie', 'Aventure', ''),"
        "('Été', 'Jean Becker', 'Isabelle Adjani', '01:30:00', '1983', 'France', 'aventure', ''),"
        "('Brazil', 'Terry Gilliam', 'Jonathan Pryce', '00:30:00', '1985', 'Royaume-Uni', NULL, '')");
    executer(
        "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES "
        "('03:00:00', '01:00:00', 2, 'FILM00:30:00Brazil/FILM01:30:00Zorro/01:00:00'),"
        "('04:00:00', '02:03:00', 1, 'FILM01:57:00alien/02:03:00'),"
        "('03:30:00', '02:00:00', 1, 'FILM01:30:00Été/02:00:00'), ('02:00:00', '02:00:00', 0, '02:00:00')");
    executer("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (2, 1, 2), (4, 1, 1), (1, 2, 1), (3, 3, 1)");
}

struct BancImpression : Banc {
    QPointer<Impression> f;
    ~BancImpression() {
        fermerModales();
        delete f;
        Dialogues::setImprimantes({}, {});
        Dialogues::setRepondeurImpression({});
        Dialogues::setRepondeurEnregistrement({});
    }
    Impression& ouvrir() {
        f = new Impression;
        f->Show();
        return *f;
    }
    // Presses "Imprimer" and does this in the preview, which is then closed if still open.
    void imprimer(const std::function<void(ApercuImpression&)>& geste) {
        puis([this, geste] {
            QPointer<ApercuImpression> a = f->apercu();
            QVERIFY(a && a->isVisible());
            geste(*a);
            if (a && a->isVisible())
                a->Unload();
        });
        QTest::mouseClick(f->BtnAjouterFilm, Qt::LeftButton);
    }
};

// pdftotext comes with poppler-utils, which the build's packages include; "-raw": the text in the
// order it was drawn.
QString pdfEnTexte(const QString& pdf, bool brut = false) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), brut ? QStringList{"-raw", pdf, "-"} : QStringList{pdf, "-"});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

} // namespace

class TestCommun : public QObject {
    Q_OBJECT

private slots:
    void dessineCassette_data() {
        // Segments "colour/caption/width/length" and hints separated by ";". 1942.5 twips: the
        // control rounds to whole pixels and reports 1950. Short stretches crowd their labels
        // together and against the bar's ends (the choice screen's bar: 1380,420,4820,540).
        table(QStringLiteral(R"(
            cas              | status | duree | place | attendu | bulles
            cassette neuve   | 03:00:00 | 03:00:00 | | B//3885/03:00:00 | Libre — de 00:00:00 à 03:00:00 (3 h)
            quatre champs    | FILM00:20:00A/00:40:00/FILM01:30:00Les Visiteurs/00:30:00 | 03:00:00 | | R/A/435/00:20:00;B//870/00:40:00;R/Les Visiteurs/1950/01:30:00;B//645/00:30:00 | A — de 00:00:00 à 00:20:00;Libre — de 00:20:00 à 01:00:00 (40 min);Les Visiteurs — de 01:00:00 à 02:30:00;Libre — de 02:30:00 à 03:00:00 (30 min)
            autre écran      | FILM02:00:00Long/FILM01:00:00Court/01:00:00 | 04:00:00 | 120,1500,6000,300 | R/Long/3000/02:00:00;R/Court/1500/01:00:00;B//1500/01:00:00 |
            films d'une minute | FILM00:01:00A/FILM00:01:00B/FILM00:01:00C/FILM00:01:00D/03:56:00 | 04:00:00 | | |
            minute au bout   | FILM03:59:00Long/00:01:00 | 04:00:00 | 1380,420,4820,540 | |
            minute en tête   | 00:01:00/FILM00:01:00A/FILM03:58:00Long | 04:00:00 | | |
            titre trop long  | FILM01:52:00Les Aventures extraordinaires d'Adèle Blanc-Sec et le mystère/FILM00:01:00C/02:07:00 | 04:00:00 | | |
            courts et longs  | FILM00:05:00A/00:03:00/FILM01:00:00B/00:02:00/FILM00:04:00C/00:01:00/FILM02:45:00D | 04:00:00 | 1380,420,4820,540 | |
        )"));
    }
    void dessineCassette() {
        auto [status, duree, place, attendu, bulles] =
            lire({"status", "duree", "place", "attendu", "bulles"});
        QList<int> p;
        for (const QString& n : (place.isEmpty() ? "3840,6630,3885,540" : place).split(','))
            p << n.toInt();
        const QStringList hints = bulles.split(';', Qt::SkipEmptyParts);
        Hote h;
        h.dessiner(QStringLiteral("FILM00:20:00A/00:40:00/FILM01:30:00B/00:30:00"), "03:00:00");
        h.dessiner(status, duree, p); // a redraw destroys the previous drawing's extra elements
        const AvecBarre& b = h.barre;
        QCOMPARE(h.panneau.findChildren<Etiquette*>().size(), 2 * (b.shape.UBound() + 1));
        QVERIFY(qAbs(b.shape(0).Left() - p[0]) <= Unites::TwipsParPixel / 2);
        QStringList segments;
        QList<QRect> etiquettes;
        int debut = 0, gauche = b.shape(0).Left();
        const QRect barre(b.shape(0).x(), 0, Unites::pixels(p[0] + p[2]) - b.shape(0).x(), 10000);
        for (int i = 0; i <= b.shape.UBound(); ++i) {
            const Etiquette& s = b.shape(i);
            const Etiquette& d = b.lblDuree(i);
            segments << QStringList{h.couleurs().at(i), s.Caption(), QString::number(s.Width()), d.Caption()}
                            .join('/');
            QVERIFY(!s.isHidden() && s.Top() == p[1] && s.Left() == gauche);
            gauche += s.Width();
            // Whatever label is left out, the hint says where the segment lies; a title is cut, never
            // clipped.
            const int fin = debut + Outils::HeureEnSecondes(d.Caption());
            QVERIFY(
                s.toolTip().contains(QStringLiteral("de %1 à %2")
                                         .arg(Outils::SecondesEnHeure(debut), Outils::SecondesEnHeure(fin))));
            debut = fin;
            QVERIFY2(s.toolTip().contains(hints.value(i).toHtmlEscaped()), qPrintable(s.toolTip()));
            const QRect texte = s.fontMetrics().boundingRect(s.contentsRect(), Qt::TextWordWrap, s.text());
            QVERIFY2(s.contentsRect().contains(texte), qPrintable(s.text()));
            if (d.isHidden())
                continue;
            // A label shown is whole, under or over the bar, within its ends, over its segment, and
            // clear of the others.
            const QRect r = d.geometry();
            QVERIFY(d.fontMetrics().horizontalAdvance(d.Caption()) <= d.contentsRect().width());
            QVERIFY(d.Top() == p[1] + p[3] || d.Top() == p[1] - d.Height());
            QVERIFY2(barre.contains(r) && h.panneau.rect().contains(r), qPrintable(d.Caption()));
            QVERIFY(r.left() <= s.x() + s.width() / 2 && s.x() + s.width() / 2 <= r.right() + 1);
            for (const QRect& autre : etiquettes)
                QVERIFY2(!autre.intersects(r), qPrintable(QStringLiteral("étiquette %1").arg(i)));
            etiquettes << r;
        }
        if (!attendu.isEmpty()) { // long stretches keep every label
            QCOMPARE(segments.join(';'), attendu);
            QCOMPARE(etiquettes.size(), b.shape.UBound() + 1);
        }
        QVERIFY(qAbs(gauche - b.shape(0).Left() - p[2]) <= Unites::TwipsParPixel * (b.shape.UBound() + 1));
        // No record at all (a film without cassette): nothing of the bar is shown.
        h.dessiner(QString(), QString());
        QVERIFY(b.shape(0).isHidden() && b.lblDuree(0).isHidden());
    }

    void changePlage_data() {
        // Segments: film A, free 01:30, untitled film, free 01:00, film B, free 01:30; "marquer":
        // the first stretch of 01:30 is yellow first.
        table(QStringLiteral(R"(
            cas                     | marquer | index | dureeFilm | attendu
            segment de film         | oui     | 0     | 00:30:00  | RJRBRB
            film au titre vide      | oui     | 2     | 00:30:00  | RJRBRB
            plage trop courte       | oui     | 3     | 01:30:00  | RJRBRB
            plage déjà choisie      | oui     | 1     | 01:30:00  | RJRBRB
            hors de la barre        | oui     | 6     | 00:30:00  | RJRBRB
            index négatif           | oui     | -1    | 00:30:00  | RJRBRB
            plage de même longueur  | oui     | 5     | 01:30:00  | RBRBRJ
            plage plus longue       | oui     | 3     | 00:45:00  | RBRJRB
            sans choix préalable    |         | 3     | 00:45:00  | RBRJRB
            sans choix, sur un film |         | 0     | 00:45:00  | RBRBRB
        )"));
    }
    void changePlage() {
        auto [marquer, index, dureeFilm, attendu] = lire({"marquer", "index", "dureeFilm", "attendu"});
        Hote h;
        const QString status =
            QStringLiteral("FILM01:00:00A/01:30:00/FILM00:30:00/01:00:00/FILM00:30:00B/01:30:00");
        h.dessiner(status, "06:00:00");
        if (!marquer.isEmpty()) {
            Fonctions::MarquePlage(status, "01:30:00", h.barre); // the first equal field is the one painted
            QCOMPARE(h.couleurs(), QStringLiteral("RJRBRB"));
        }
        Fonctions::ChangePlage(index.toInt(), dureeFilm, h.barre);
        QCOMPARE(h.couleurs(), attendu);
    }

    // Screens act on a changed current cell whether the user or the code moved it.
    void grilleEvenements_data() {
        table(QStringLiteral(R"(
            cas             | propriete | valeur | attendu
            Row             | Row       | 3      | 3,0,3,0,1,1
            Row inchangée   | Row       | 1      | 1,0,1,0,0,1
            Col             | Col       | 2      | 1,2,1,2,1,1
            ColSel          | ColSel    | 2      | 1,0,1,2,0,1
            RowSel          | RowSel    | 4      | 1,0,4,0,0,1
            Row hors grille | Row       | 9      | 1,0,1,0,0,0
            clic            | clic      | 3      | 3,1,3,1,1,1
        )"));
    }
    void grilleEvenements() {
        auto [propriete, valeur] = lire({"propriete", "valeur"});
        QFETCH(QString, attendu); // Row, Col, RowSel, ColSel, then how many RowColChange and SelChange
        Grille g;
        remplirGrille(g, {"0,0", "0,1", "0,2"},
                      {"1,0\t1,1\t1,2", "2,0\t2,1\t2,2", "3,0\t3,1\t3,2", "4,0\t4,1\t4,2"});
        g.show();
        g.setRow(1);
        g.setCol(0);
        QSignalSpy rcc(&g, &Grille::RowColChange);
        QSignalSpy sc(&g, &Grille::SelChange);
        QString vu; // what a handler reads when the event arrives
        connect(&g, &Grille::RowColChange, &g, [&] { vu = g.TextMatrix(g.Row(), g.Col()); });
        const QMap<QString, void (Grille::*)(int)> regler{
            {"Row", &Grille::setRow}, {"Col", &Grille::setCol}, {"ColSel", &Grille::setColSel}};
        if (propriete == "clic")
            QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                              g.visualRect(g.model()->index(valeur.toInt() - 1, 1)).center());
        else
            (g.*regler.value(propriete, &Grille::setRowSel))(valeur.toInt());
        QStringList lu;
        for (const qsizetype n : {qsizetype(g.Row()), qsizetype(g.Col()), qsizetype(g.RowSel()),
                                  qsizetype(g.ColSel()), rcc.size(), sc.size()})
            lu << QString::number(n);
        QCOMPARE(lu.join(','), attendu);
        if (rcc.size())
            QCOMPARE(vu, QStringLiteral("%1,%2").arg(g.Row()).arg(g.Col()));
    }

    void grilleLignes() {
        Grille g;
        remplirGrille(g, {"T0", "T1", "T2"},
                      {"a\tb\tc", "d", "1\t2\t3\t4"}); // missing cells empty, extra dropped
        g.AddItem(QStringLiteral("x\ty\tz"), 1);       // inserted before the first row
        QCOMPARE(lignes(g, 3), (QStringList{"x|y|z", "a|b|c", "d||", "1|2|3"}));
        // The view shows row 0 as its header and row r as its row r - 1.
        QCOMPARE(g.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("T1"));
        QCOMPARE(g.model()->index(1, 2).data().toString(), QStringLiteral("c"));
        for (const int r : {0, 9, 2}) // the header stays; there is no row 9
            g.RemoveItem(r);
        g.setTextMatrix(7, 1, QStringLiteral("hors grille"));
        QCOMPARE(lignes(g, 3), (QStringList{"x|y|z", "d||", "1|2|3"}));
        QCOMPARE(g.TextMatrix(0, 0), QStringLiteral("T0"));
        g.setRow(3); // removing the current last row leaves a current row inside the grid
        g.RemoveItem(3);
        QVERIFY(g.Row() == 2 && g.RowSel() == 2);
    }

    void trieColonne_data() {
        // The numbers of column 1 top to bottom after clicks on columns in turn, the grid's tag
        // holding the sort.
        table(QStringLiteral(R"(
            cas                    | tagAvant   | clics   | tag        | ordre
            texte                  |            | 0       | TRI/000/ 7 | 2,100,9,10
            texte, deux fois       |            | 0,0     | TRI/000/ 8 | 10,9,100,2
            texte, trois fois      |            | 0,0,0   | TRI/000/ 7 | 2,100,9,10
            nombres                |            | 1       | TRI/001/ 3 | 2,9,10,100
            nombres, deux fois     |            | 1,1     | TRI/001/ 4 | 100,10,9,2
            autre colonne          |            | 0,2     | TRI/002/ 7 | 9,100,10,2
            retour à la première   |            | 0,0,2,0 | TRI/000/ 7 | 2,100,9,10
            étiquette étrangère    | bleu       | 0       | TRI/000/ 7 | 2,100,9,10
            décroissant déjà noté  | TRI/000/ 8 | 0       | TRI/000/ 7 | 2,100,9,10
        )"));
    }
    void trieColonne() {
        auto [tagAvant, clics, tag, ordre] = lire({"tagAvant", "clics", "tag", "ordre"});
        Grille g;
        const QStringList films{"K7 10\t10\tDrame", "alien\t2\tWestern", "Été\t100\tComédie",
                                "K7 9\t9\tAventure"};
        remplirGrille(g, {"Titre", "Numéro", "Genre"}, films);
        g.setColData(1, 1);
        g.setTag(tagAvant);
        for (const QString& c : clics.split(','))
            TrieColonne(g, c.toInt(), 1, g.Rows() - 1);
        QCOMPARE(g.Tag(), tag);
        QStringList numeros;
        for (const QString& l : lignes(g, 3)) {
            numeros << l.section('|', 1, 1);
            QVERIFY(films.contains(QString(l).replace('|', '\t'))); // whole rows move together
        }
        QCOMPARE(numeros.join(QChar(',')), ordre);
        QCOMPARE((QList<int>{g.Row(), g.RowSel(), g.Col(), g.ColSel()}),
                 (QList<int>{1, 4, clics.back().digitValue(), clics.back().digitValue()}));
    }

    // Past 20,000 rows the keys are read in two halves at once: the order must not show it.
    void trieGrandeColonne() {
        Grille g;
        remplirGrille(g, {"Titre", "N"}, {});
        const QStringList titres{"K7 10", "alien", "Été", "K7 9"};
        {
            Grille::Remplissage remplissage(g);
            for (int i = 0; i < 25000; ++i)
                g.AddItem(QStringList{titres[i % 4], QString::number(i)});
        }
        TrieColonne(g, 0, 1, g.Rows() - 1);
        QStringList attendu;
        for (const int groupe : {1, 2, 3, 0}) { // equal titles keep their order
            for (int i = groupe; i < 25000; i += 4)
                attendu << titres[groupe] + '|' + QString::number(i);
        }
        QCOMPARE(lignes(g, 2), attendu);
    }

    void feuilleCycle() {
        QPointer<Essai> f = new Essai;
        f->Show();
        f->Show();
        QVERIFY(f->chargements == 1 && Feuille::chargee<Essai>() == f);
        f->refuser = true; // a refused close keeps the form, by the close box and by Escape alike
        QVERIFY(!f->Unload());
        QTest::keyClick(f, Qt::Key_Escape);
        QVERIFY(f->isVisible() && f->dechargements == 0);
        f->refuser = false;
        QVERIFY(f->Unload() && f->dechargements == 1 && !Feuille::chargee<Essai>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.isNull());
        // A form that closes itself while loading returns from ShowModal at once.
        QTimer garde;
        garde.setSingleShot(true);
        connect(&garde, &QTimer::timeout, [] { fermerModales(); });
        garde.start(2000);
        auto* g = new Essai;
        g->fermerAuChargement = true;
        g->ShowModal();
        QVERIFY(garde.isActive());
    }

    // A long command lets repaints and timers run, never the user's keys and clicks: they wait
    // for the command's end, and are not lost. The pointer stays an hourglass until the outermost
    // command ends.
    void pompeEtSablier() {
        QLineEdit saisie;
        saisie.show();
        saisie.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&saisie));
        bool minuterie = false;
        QTimer::singleShot(0, [&] { minuterie = true; });
        using Systeme = QWindowSystemInterface; // as the window system queues a key typed meanwhile
        for (const auto genre : {QEvent::KeyPress, QEvent::KeyRelease})
            Systeme::handleKeyEvent<Systeme::AsynchronousDelivery>(saisie.windowHandle(), genre, Qt::Key_A,
                                                                   Qt::NoModifier, QStringLiteral("a"));
        {
            Appli::Sablier commande;
            {
                Appli::Sablier partie;
                Appli::defaut(); // a step that gives the pointer back before a message
            }
            Appli::DoEvents();
            QVERIFY(minuterie && saisie.text().isEmpty() && QApplication::overrideCursor());
        }
        QVERIFY(!QApplication::overrideCursor());
        QCoreApplication::processEvents();
        QCOMPARE(saisie.text(), QStringLiteral("a"));
    }

    // Each sort key writes its list into a fresh preview, opened on its title; the screen stays
    // open for another list. Each arrow turns its own key's direction and selects nothing (a digit:
    // a click on that key's arrow); from the keyboard Tab goes from the choices to the arrows, Space
    // turns the arrow that has the focus, Up and Down set its direction, and the focus stays on the
    // key's arrow shown.
    void listes_data() {
        // The key (a negative one: -1 - key, on an empty catalogue), the gestures and the six keys'
        // directions after them, then the list as read: its subtitle, headers and titles; its number
        // of lines; the first film's line when given.
        // One header per genre, "aventure" and "Aventure" being one genre with its titles in
        // order, the film without genre under a header of its own; equal durations keep titles
        // ascending; cassettes in groups, films in tape order, equal remaining times in ascending
        // number both ways; the empty cassette has its header and nothing else.
        table(QStringLiteral(R"(
            cas                          | cle | gestes               | sens   | ordre | lignes | premier
            titre                        | 0  | Tab Space Down Up Up | ++++++ | Titre de film),alien,Brazil,Été,Zorro | 21 | alien     01:57:00  Science-fiction    1979       K7 N°2
            titre décroissant            | 0  | 0                    | -+++++ | Titre de film),Zorro,Été,Brazil,alien | 21 |
            genre                        | 1  | 1 1                  | ++++++ | Genre de film),INDÉFINI,Brazil,AVENTURE,Été,Zorro,SCIENCE-FICTION,alien | 30 | \tBrazil     00:30:00  Royaume-Uni  1985       K7 N°1
            genre décroissant            | 1  | Tab Down Tab Space   | --++++ | Genre de film),SCIENCE-FICTION,alien,AVENTURE,Été,Zorro,INDÉFINI,Brazil | 30 |
            durée                        | 2  |                      | ++++++ | Durée de film),Brazil,Été,Zorro,alien | 21 | 00:30:00\tBrazil       Royaume-Uni  1985       K7 N°1
            durée décroissante           | 2  | 5 2 0 5              | -+-+++ | Durée de film),alien,Été,Zorro,Brazil | 21 |
            date                         | 3  |                      | ++++++ | Date de film),Zorro,alien,Été,Brazil | 21 | 1975\tZorro     01:30:00  Aventure  Italie       K7 N°1
            date décroissante            | 3  | 3                    | +++-++ | Date de film),Brazil,Été,alien,Zorro | 21 |
            numéro                       | 4  |                      | ++++++ | N° de cassette),K7 N°1,Brazil,Zorro,K7 N°2,alien,K7 N°3,Été,K7 N°4 | 33 | \tBrazil     00:30:00    Royaume-Uni
            numéro décroissant           | 4  | 4                    | ++++-+ | N° de cassette),K7 N°4,K7 N°3,Été,K7 N°2,alien,K7 N°1,Brazil,Zorro | 33 |
            temps restant                | 5  |                      | ++++++ | Temps Restant),01:00:00,K7 N°1,Brazil,Zorro,02:00:00,K7 N°3,Été,K7 N°4,02:03:00,K7 N°2,alien | 39 |
            temps restant décroissant    | 5  | 5                    | +++++- | Temps Restant),02:03:00,K7 N°2,alien,02:00:00,K7 N°3,Été,K7 N°4,01:00:00,K7 N°1,Brazil,Zorro | 39 |
            catalogue vide, titre        | -1 |                      | ++++++ | Titre de film) | 5 |
            catalogue vide, temps restant| -6 |                      | ++++++ | Temps Restant) | 5 |
        )"));
    }
    void listes() {
        auto [cle, gestes, sens, ordre, lignes, premier] =
            lire({"cle", "gestes", "sens", "ordre", "lignes", "premier"});
        BancImpression banc;
        if (!cle.startsWith('-'))
            remplirListes();
        const int k = cle.startsWith('-') ? -1 - cle.toInt() : cle.toInt();
        Impression& f = banc.ouvrir();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        // On the round box, as a user does: past the caption the option does not take clicks.
        QTest::mouseClick(f.CaseTri[k], Qt::LeftButton, {}, QPoint(8, f.CaseTri[k]->height() / 2));
        int tab = -1; // the key whose arrow has the focus: each Tab goes on to the next key
        for (const QString& g : gestes.split(' ', Qt::SkipEmptyParts)) {
            if (const int c = g.toInt(); g.size() == 1) {
                QTest::mouseClick(f.croissant(c) ? f.TriAsc[c] : f.TriDesc[c], Qt::LeftButton);
                continue;
            }
            tab += g == "Tab";
            QTest::keyClick(QApplication::focusWidget(), QKeySequence(g)[0].key());
            QCOMPARE(QApplication::focusWidget(), f.croissant(tab) ? f.TriAsc[tab] : f.TriDesc[tab]);
        }
        for (int i = 0; i < 6; ++i) // one arrow shown per key, in the direction expected; one choice
            QVERIFY2(f.TriAsc[i]->isVisible() != f.TriDesc[i]->isVisible() &&
                         f.CaseTri[i]->isChecked() == (i == k) && f.croissant(i) == (sens[i] == '+'),
                     qPrintable(QString::number(i)));
        for (int fois = 0; fois < 2; ++fois) {
            banc.imprimer([&](ApercuImpression& a) {
                const QString d = a.TxtApercu->toPlainText();
                QCOMPARE(::ordre(d), "LISTE DES FILMS,(classement par " + ordre);
                QCOMPARE(d.count('\n') + 1, lignes.toInt());
                QVERIFY2(d.contains(premier), qPrintable(d));
                QCOMPARE(a.TxtApercu->textCursor().position(), 0);
                // The entry's head in bold italics; a film list's cassette underlined and smaller.
                QTextCursor c(a.TxtApercu->document());
                c.setPosition(int(d.indexOf(QRegularExpression("\\w"), d.indexOf(premier))) + 1);
                QVERIFY(premier.isEmpty() ||
                        (c.charFormat().fontItalic() && c.charFormat().fontPointSize() == 10));
                c.setPosition(int(d.indexOf("K7 N°", d.indexOf(premier))) + 1);
                QVERIFY(premier.isEmpty() || k >= 4 ||
                        (c.charFormat().fontPointSize() == 8 && c.charFormat().fontUnderline()));
            });
            QVERIFY(f.isVisible() && !f.apercu());
        }
    }

    // Printing from the preview: the boxes shown ("text#style#the printer's copy count", %1 the test
    // folder), then what the PDF holds in this order ("-": not printed). A selected line ("+": the
    // whole list chosen in the dialog) opens the dialog on the selection. The print system makes
    // the copies. After a failure the preview stays open, so that the user may try again.
    void impression_data() {
        table(QStringLiteral(R"(
            cas                  | imprimante | copies | sortie            | selection | message | imprime
            aucune imprimante    |     | 1 | liste.pdf        |        | Aucune imprimante n'est installée, impossible d'imprimer !!\n\nLe bouton « Enregistrer en PDF… » garde la liste dans un fichier.#48#0 |
            dialogue annulé      | oui | 0 | liste.pdf        |        | |
            liste entière        | oui | 1 | liste.pdf        |        | Impression en cours vers %1/liste.pdf#0#1 | LISTE DES FILMS,(classement par Titre de film),alien,Sigourney Weaver,Brazil,Été,Zorro,K7 N°1
            trois copies         | oui | 3 | liste.pdf        |        | Impression en cours vers %1/liste.pdf#0#3 | Zorro
            sélection            | oui | 1 | liste.pdf        | Zorro  | Impression en cours vers %1/liste.pdf#0#1 | Zorro,Italie,K7 N°1,-LISTE DES FILMS,-alien,-Alain Delon
            sélection, tout pris | oui | 1 | liste.pdf        | Zorro+ | Impression en cours vers %1/liste.pdf#0#1 | LISTE DES FILMS,alien,Zorro,Alain Delon
            échec                | oui | 1 | absent/liste.pdf |        | L'impression vers %1/absent/liste.pdf a échoué : vérifiez que l'imprimante est allumée et prête, puis recommencez.#16#1 |
        )"));
    }
    void impression() {
        auto [imprimante, copies, sortie, selection, message, imprime] =
            lire({"imprimante", "copies", "sortie", "selection", "message", "imprime"});
        BancImpression banc;
        remplirListes();
        const QString pdf = banc.dossier.fichier(sortie);
        const bool imprimantes = !imprimante.isEmpty();
        const int exemplaires = copies.toInt();
        const bool echec = sortie.contains(QLatin1String("absent"));
        Dialogues::setImprimantes([=] { return imprimantes ? QStringList{"Bureau"} : QStringList(); },
                                  [=] { return imprimantes ? QStringLiteral("Bureau") : QString(); });
        QPrinter* dialogue = nullptr;
        QList<int> drapeaux;
        bool offerte = false; // the dialog opened on the selection
        Dialogues::setRepondeurImpression([&](QPrinter& p, int d, Dialogues::Impression& choix) {
            drapeaux << d;
            offerte = choix.selectionSeulement;
            choix.selectionSeulement = !selection.endsWith(QChar('+'));
            choix.copies = exemplaires;
            p.setOutputFileName(pdf);
            dialogue = &p;
            return exemplaires > 0;
        });
        QStringList vus; // every box, with the printer's copy count at that moment
        Messages::setRepondeur([&](const QString& texte, int style) {
            vus << QStringLiteral("%1#%2#%3").arg(texte).arg(style).arg(dialogue ? dialogue->copyCount() : 0);
            return Messages::Ok;
        });
        banc.ouvrir();
        bool ouvert = false;
        banc.imprimer([&](ApercuImpression& a) {
            const QString avant = a.TxtApercu->toHtml();
            if (!selection.isEmpty()) {
                QTextCursor c = a.TxtApercu->document()->find(QString(selection).remove('+'));
                c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
                a.TxtApercu->setTextCursor(c);
            }
            for (int fois = exemplaires == 0 ? 2 : 1; fois > 0; --fois) // a second try asks again
                QTest::mouseClick(a.BtnAjouterFilm, Qt::LeftButton);
            dialogue = nullptr;
            ouvert = a.isVisible();
            QCOMPARE(a.TxtApercu->toHtml(), avant);
        });
        // Without a printer the preview stays open on its PDF button.
        QCOMPARE(ouvert, exemplaires == 0 || echec || !imprimantes);
        QCOMPARE(drapeaux, QList<int>(imprimantes ? 1 + (exemplaires == 0) : 0, Dialogues::DrapeauAssembler));
        QCOMPARE(offerte, !selection.isEmpty());
        QCOMPARE(vus.join(QChar(10)), QString(message).replace("%1", banc.dossier.chemin()));
        QCOMPARE(QFile::exists(pdf), imprimantes && exemplaires > 0 && !echec);
        if (!QFile::exists(pdf))
            return;
        const QString texte = pdfEnTexte(pdf);
        qsizetype ou = 0;
        for (const QString& t : imprime.split(',', Qt::SkipEmptyParts)) {
            const bool absent = t.startsWith(QChar('-'));
            const qsizetype i = texte.indexOf(absent ? t.mid(1) : t, absent ? 0 : ou);
            QVERIFY2((i >= 0) != absent, qPrintable(t + QStringLiteral(" dans :\n") + texte));
            ou = qMax(ou, i);
        }
    }

    // The list kept as a PDF: the name proposed is the list's, in the folder of the last PDF; the
    // extension comes by itself; an existing file is replaced only once the user agrees ("Non"
    // opens the dialog again). Each kind of file keeps its own folder.
    void enregistrementPdf() {
        BancImpression banc;
        remplirListes();
        const QString pdf = banc.dossier.fichier(QStringLiteral("liste"));
        QStringList reponses{pdf, pdf, QString(), pdf}, proposes, vus;
        Dialogues::setRepondeurEnregistrement([&](const QString&, const QString& propose) {
            proposes << propose;
            return reponses.takeFirst();
        });
        QList<Messages::Reponse> remplacer{Messages::Non, Messages::Oui};
        Messages::setRepondeur([&](const QString& texte, int style) {
            vus << QStringLiteral("%1|%2").arg(texte).arg(style);
            return style == Messages::Question ? remplacer.takeFirst() : Messages::Ok;
        });
        banc.ouvrir().CaseTri[5]->setChecked(true);
        banc.imprimer([&](ApercuImpression& a) {
            a.TxtApercu->append(QString(200, '\n')); // the empty lines that end a list print no page
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(a.BtnPdf, Qt::LeftButton);
            QVERIFY(a.isVisible());
        });
        const QString nom = QStringLiteral("Cassettes par temps restant.pdf");
        QCOMPARE(proposes,
                 (QStringList{nom, banc.dossier.fichier(nom), pdf + ".pdf", banc.dossier.fichier(nom)}));
        const QString enregistree = "La liste a été enregistrée dans " + pdf + ".pdf|64";
        const QString existe = "Le fichier " + pdf + ".pdf existe déjà.\n\nVoulez-vous le remplacer ?|36";
        QCOMPARE(vus, (QStringList{enregistree, existe, existe, enregistree}));

        // A film file chosen elsewhere: its dialog opens there next time, the others do not move.
        const QString films = QStringLiteral("Films | *.film;*.txt");
        const QString ailleurs = banc.dossier.fichier(QStringLiteral("Films"));
        QVERIFY(QDir().mkpath(ailleurs));
        Dialogues::setRepondeurFichier([&](const QString&) { return ailleurs + QStringLiteral("/a.film"); });
        Dialogues::FichierOuvrir(nullptr, films);
        Dialogues::setRepondeurFichier({});
        QCOMPARE(Dialogues::dossierPropose(films), ailleurs);
        QCOMPARE(Dialogues::dossierPropose(QStringLiteral("Documents PDF | *.pdf")), banc.dossier.chemin());
        QCOMPARE(Dialogues::dossierPropose(QStringLiteral("Affiches de Films | *.jpg")), QString());
        const QStringList pages = pdfEnTexte(pdf + ".pdf").split('\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() == 1 && pages[0].contains("(classement par Temps Restant)"));
    }

    // Cassette k holds films[k] films "Titre kk-jj" of 10 minutes, each followed by 5 minutes free.
    // Every film is on its cassette's label at its start on the tape, or counted in the "…" line
    // that ends it; a label lies whole on one sheet; the preview shows the sheets the PDF has.
    void etiquettes_data() {
        QTest::addColumn<bool>("tranche");
        QTest::addColumn<QList<int>>("films"); // one cassette: that one alone is asked for
        QTest::newRow("face") << false << QList<int>{3};
        QTest::newRow("face, trop de films") << false << QList<int>{14};
        QTest::newRow("tranche, trop de films") << true << QList<int>{6};
        QList<int> beaucoup;
        for (int k = 0; k < 25; ++k)
            beaucoup << (k * 5) % 13;
        QTest::newRow("toutes, face") << false << beaucoup;
        QTest::newRow("toutes, tranche") << true << beaucoup;
    }
    void etiquettes() {
        QFETCH(bool, tranche);
        QFETCH(QList<int>, films);
        Banc banc;
        for (int k = 1; k <= films.size(); ++k) {
            QString status;
            for (int j = 1; j <= films[k - 1]; ++j)
                status += QString::asprintf("FILM00:10:00Titre %02d-%02d/00:05:00/", k, j);
            cassette(status + "01:00:00");
        }
        const QString pdf = banc.dossier.fichier(QStringLiteral("etiquettes.pdf"));
        Dialogues::setRepondeurEnregistrement([&](const QString&, const QString&) { return pdf; });
        ImpressionEtiquettes f;
        f.Show();
        (films.size() == 1 ? f.CaseUne : f.CaseToutes)->setChecked(true);
        (tranche ? f.CaseTranche : f.CaseFace)->setChecked(true);
        banc.repondeur.attendre();
        f.BtnPdf_Click();
        int pagesApercu = 0;
        puis([&] {
            pagesApercu = f.apercu()->findChild<QPrintPreviewWidget*>()->pageCount();
            f.apercu()->Unload();
        });
        f.BtnApercu_Click();
        Dialogues::setRepondeurEnregistrement({});
        QCOMPARE(banc.repondeur.textes(), QStringList{"Les étiquettes ont été enregistrées dans " + pdf});
        const QStringList pages = pdfEnTexte(pdf, true).split(QChar('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pagesApercu, pages.size());
        QMap<int, int> feuille, montres, omis; // per cassette: its sheet, the films shown, those "…" counts
        const QRegularExpression ligneFilm(
            "(\\d\\d:\\d\\d:\\d\\d)\\s+Titre (\\d\\d)-(\\d\\d)\\s+\\(00:10:00\\)");
        const QRegularExpression suite("… et (\\d+) films? de plus");
        for (int p = 0; p < pages.size(); ++p) {
            int k = 0;
            for (const QString& l : pages[p].split('\n')) {
                if (const auto m = ligneFilm.match(l); m.hasMatch()) {
                    k = m.captured(2).toInt();
                    const int j = ++montres[k]; // films shown in tape order, each at its start
                    QCOMPARE(m.captured(3).toInt(), j);
                    QCOMPARE(m.captured(1), Outils::SecondesEnHeure((j - 1) * 900));
                    QCOMPARE(feuille.value(k, p), p);
                    feuille[k] = p;
                } else if (const auto s = suite.match(l); s.hasMatch()) {
                    QVERIFY2(k > 0, qPrintable(pages[p]));
                    omis[k] = s.captured(1).toInt();
                }
            }
        }
        for (int k = 1; k <= films.size(); ++k)
            QVERIFY(feuille.contains(k) == (films[k - 1] > 0) &&
                    montres.value(k) + omis.value(k) == films[k - 1]);
        QCOMPARE(!omis.isEmpty(), QByteArray(QTest::currentDataTag()) != "face");
    }
};

QTEST_MAIN(TestCommun)
#include "tst_commun.moc"
