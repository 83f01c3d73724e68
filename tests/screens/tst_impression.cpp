// The printed lists: the document each sort key writes into the preview, text and formats, the
// direction arrows, and printing from the preview.

#include "catalogue/Outils.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Etiquettes.h"
#include "screens/print/ApercuImpression.h"
#include "screens/print/Impression.h"
#include "screens/print/ImpressionEtiquettes.h"
#include "tests/support/Banc.h"

#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextEdit>

using namespace banc;

namespace {

// The document's lines (a paragraph's end with line separators): "C " or "L " for the alignment,
// then each run of text preceded by its format, {family size flags} with A Arial, T Times New Roman
// and g bold, i italic, s underlined. TAB shows as "»". An empty line shows the format it takes its
// height from: its line separator's, or its paragraph's when last.
QString format(const QTextCharFormat& f) {
    const QString famille = f.font().families().value(0);
    const QString court = famille == QLatin1String("Arial")             ? QStringLiteral("A")
                          : famille == QLatin1String("Times New Roman") ? QStringLiteral("T")
                                                                        : famille;
    QString s = QLatin1Char('{') + court + QString::number(f.fontPointSize());
    if (f.fontWeight() >= QFont::Bold)
        s += QLatin1Char('g');
    if (f.fontItalic())
        s += QLatin1Char('i');
    if (f.fontUnderline())
        s += QLatin1Char('s');
    return s + QLatin1Char('}');
}

QStringList decrire(const QTextDocument& doc) {
    QStringList lignes;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QString debut =
            b.blockFormat().alignment() & Qt::AlignHCenter ? QStringLiteral("C ") : QStringLiteral("L ");
        QString ligne = debut, dernier;
        auto finir = [&](const QTextCharFormat& f) {
            lignes << QString(std::exchange(ligne, debut) + (dernier.isEmpty() ? format(f) : QString()))
                          .replace(QLatin1Char('\t'), QStringLiteral("»"));
            dernier.clear();
        };
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString f = format(it.fragment().charFormat());
            const QStringList morceaux = it.fragment().text().split(QChar::LineSeparator);
            for (qsizetype i = 0; i < morceaux.size(); ++i) {
                if (i > 0)
                    finir(it.fragment().charFormat());
                if (!morceaux[i].isEmpty())
                    ligne += (f == std::exchange(dernier, f) ? QString() : f) + morceaux[i];
            }
        }
        finir(b.charFormat());
    }
    return lignes;
}

// The four films in the order of their numbers, then the first line each one gets in every list
// (lead|middle segments): by title, genre, duration, date, and in the cassette lists.
struct Film {
    const char* champs[7]; // Titre, Réalisateur, Acteurs, Durée, Date, Pays, Genre
    int k7;
    const char* lignes[5];
};
const Film Films[] = {
    {{"alien", "Ridley Scott", "Sigourney Weaver", "01:57:00", "1979", "", "Science-fiction"},
     2,
     {"alien     |01:57:00  Science-fiction    1979       ", "\talien     |01:57:00    1979       ",
      "01:57:00\talien     |Science-fiction    1979       ",
      "1979\talien     |01:57:00  Science-fiction         ",
      "\talien     |01:57:00  Science-fiction         "}},
    {{"Zorro", "Duccio Tessari", "Alain Delon", "01:30:00", "1975", "Italie", "Aventure"},
     1,
     {"Zorro     |01:30:00  Aventure  Italie  1975       ", "\tZorro     |01:30:00  Italie  1975       ",
      "01:30:00\tZorro     |Aventure  Italie  1975       ",
      "1975\tZorro     |01:30:00  Aventure  Italie       ",
      "\tZorro     |01:30:00  Aventure  Italie       "}},
    {{"Été", "Jean Becker", "Isabelle Adjani", "01:30:00", "1983", "France", "aventure"},
     3,
     {"Été     |01:30:00  aventure  France  1983       ", "\tÉté     |01:30:00  France  1983       ",
      "01:30:00\tÉté     |aventure  France  1983       ", "1983\tÉté     |01:30:00  aventure  France       ",
      "\tÉté     |01:30:00  aventure  France       "}},
    {{"Brazil", "Terry Gilliam", "Jonathan Pryce", "00:30:00", "1985", "Royaume-Uni", nullptr},
     1,
     {"Brazil     |00:30:00    Royaume-Uni  1985       ", "\tBrazil     |00:30:00  Royaume-Uni  1985       ",
      "00:30:00\tBrazil     |  Royaume-Uni  1985       ", "1985\tBrazil     |00:30:00    Royaume-Uni       ",
      "\tBrazil     |00:30:00    Royaume-Uni       "}},
};

// Film numbers, tape order and the order of the placement rows differ; cassettes 3 and 4 have
// the same remaining time, and cassette 4 holds nothing.
void remplir() {
    for (const Film& f : Films) {
        QVariantList v;
        for (const char* champ : f.champs)
            v << (champ ? QVariant(QString::fromUtf8(champ)) : QVariant());
        executer(QStringLiteral("INSERT INTO Film (Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, "
                                "Genre, Description) VALUES (?, ?, ?, ?, ?, ?, ?, '')"),
                 v);
    }
    const char* const cassettes[][4] = {
        {"03:00:00", "01:00:00", "2", "FILM00:30:00Brazil/FILM01:30:00Zorro/01:00:00"},
        {"04:00:00", "02:03:00", "1", "FILM01:57:00alien/02:03:00"},
        {"03:30:00", "02:00:00", "1", "FILM01:30:00Été/02:00:00"},
        {"02:00:00", "02:00:00", "0", "02:00:00"},
    };
    for (const auto& k : cassettes)
        executer(
            QStringLiteral("INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?, ?, ?, ?)"),
            {QString::fromUtf8(k[0]), k[1], QString::fromLatin1(k[2]).toInt(), QString::fromUtf8(k[3])});
    for (const auto& p : {QVariantList{2, 1, 2}, QVariantList{4, 1, 1}, QVariantList{1, 2, 1}, {3, 3, 1}})
        executer(QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"), p);
}

QStringList titre(const QString& sousTitre) {
    return {QStringLiteral("C {T20g}LISTE DES FILMS"), QStringLiteral("C {T16g}") + sousTitre,
            QStringLiteral("C {T16g}"), QStringLiteral("C {T16g}")};
}

// A film in list cle (4: the cassette lists): its line, then director and actors and two empty
// lines, in 8 pt after the film lists' small, bold, underlined cassette number, else in 10 pt.
QStringList film(int cle, const QString& nom) {
    for (const Film& f : Films) {
        if (QString::fromUtf8(f.champs[0]) != nom)
            continue;
        const QStringList l =
            QString::fromUtf8(f.lignes[cle]).replace(QLatin1Char('\t'), QStringLiteral("»")).split('|');
        const QString suite = cle < 4 ? QStringLiteral("L {A8}") : QStringLiteral("L {A10}");
        return {QStringLiteral("L {A10gi}%1{A10}%2").arg(l[0], l[1]) +
                    (cle < 4 ? QStringLiteral("{A8gs}K7 N°%1").arg(f.k7) : QString()),
                suite + QStringLiteral("»de %1 avec %2»")
                            .arg(QString::fromUtf8(f.champs[1]), QString::fromUtf8(f.champs[2])),
                suite, suite};
    }
    return {QStringLiteral("film inconnu ") + nom};
}

// A group header, 12 pt bold underlined, after a blank line of its own size.
QStringList entete(const QString& texte) {
    return {QStringLiteral("L {A12gs}"), QStringLiteral("L {A12gs}") + texte, QStringLiteral("L {A12gs}")};
}

const QStringList Cassette[] = {
    {},
    {QStringLiteral("Brazil"), QStringLiteral("Zorro")},
    {QStringLiteral("alien")},
    {QStringLiteral("Été")},
    {},
};

// What the preview held while it was shown.
struct Apercu {
    QStringList lignes;
    int caret = -1;
    int defilement = -1;
    int defilementMax = -1;
};

// Presses "Imprimer", reads the preview, closes it.
Apercu imprimer(Impression& f) {
    Apercu a;
    puis([&] {
        ApercuImpression* p = f.apercu();
        QVERIFY(p && p->isVisible());
        QCoreApplication::processEvents();
        a.lignes = decrire(*p->TxtApercu->document());
        a.caret = p->TxtApercu->textCursor().position();
        a.defilement = p->TxtApercu->verticalScrollBar()->value();
        a.defilementMax = p->TxtApercu->verticalScrollBar()->maximum();
        p->Unload();
    });
    QTest::mouseClick(f.BtnAjouterFilm, Qt::LeftButton);
    return a;
}

void cliquerFleche(Impression& f, int cle) {
    Etiquette* visible = f.TriAsc[cle]->isVisible() ? f.TriAsc[cle] : f.TriDesc[cle];
    QTest::mouseClick(visible, Qt::LeftButton);
}

struct BancImpression : Banc {
    QPointer<Impression> f;
    ~BancImpression() {
        fermerModales();
        delete f;
        Dialogues::setImprimantes({}, {});
        Dialogues::setRepondeurImpression({});
    }
    Impression& ouvrir() {
        f = new Impression;
        f->Show();
        return *f;
    }
};

// "-raw": the text in the order it was drawn, a label after another.
QString pdfEnTexte(const QString& pdf, bool brut = false) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), brut ? QStringList{QStringLiteral("-raw"), pdf, QStringLiteral("-")}
                                              : QStringList{pdf, QStringLiteral("-")});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

} // namespace

class TestImpression : public QObject {
    Q_OBJECT

private slots:
    void listes_data() {
        QTest::addColumn<int>("cle"); // below 0: -1 - key, on an empty catalogue
        QTest::addColumn<bool>("decroissant");
        QTest::addColumn<QStringList>("attendu");
        const QStringList fin{QStringLiteral("L {A8}")};
        auto films = [&](int cle, const QStringList& ordre, const QHash<QString, QString>& genres = {}) {
            QStringList l;
            for (const QString& t : ordre)
                l << (genres.contains(t) ? entete(genres.value(t)) : QStringList()) << film(cle, t);
            return l + fin;
        };
        const QStringList titres{"alien", "Brazil", "Été", "Zorro"};
        QStringList inverse(titres.crbegin(), titres.crend());
        const QStringList parTitre = titre("(classement par Titre de film)");
        QTest::newRow("titre") << 0 << false << parTitre + films(0, titres);
        QTest::newRow("titre décroissant") << 0 << true << parTitre + films(0, inverse);
        // One header per genre, in capitals, "aventure" and "Aventure" being one genre with its
        // titles in order; the film without genre under a header of its own, first or last.
        const QStringList parGenre = titre("(classement par Genre de film)");
        QTest::newRow("genre") << 1 << false
                               << parGenre + films(1, {"Brazil", "Été", "Zorro", "alien"},
                                                   {{"Brazil", "INDÉFINI"},
                                                    {"Été", "AVENTURE"},
                                                    {"alien", "SCIENCE-FICTION"}});
        QTest::newRow("genre décroissant")
            << 1 << true
            << parGenre + films(1, {"alien", "Été", "Zorro", "Brazil"},
                                {{"alien", "SCIENCE-FICTION"}, {"Été", "AVENTURE"}, {"Brazil", "INDÉFINI"}});
        // Équal durations keep titles ascending, whatever the direction.
        const QStringList parDuree = titre("(classement par Durée de film)");
        QTest::newRow("durée") << 2 << false << parDuree + films(2, {"Brazil", "Été", "Zorro", "alien"});
        QTest::newRow("durée décroissante")
            << 2 << true << parDuree + films(2, {"alien", "Été", "Zorro", "Brazil"});
        const QStringList parDate = titre("(classement par Date de film)");
        QTest::newRow("date") << 3 << false << parDate + films(3, {"Zorro", "alien", "Été", "Brazil"});
        QTest::newRow("date décroissante")
            << 3 << true << parDate + films(3, {"Brazil", "Été", "alien", "Zorro"});

        // Cassettes in groups, each group under its header: by number one cassette per group, by
        // remaining time one group per time, each cassette with its own header after a blank
        // 12 pt line, equal times in ascending number both ways. Films in tape order; the empty
        // cassette has its header and nothing else.
        auto cassettes = [](const char* sousTitre, const QList<QPair<QString, QList<int>>>& groupes) {
            QStringList l = titre(sousTitre);
            const bool parTemps = groupes.first().first.contains(QLatin1Char(':'));
            int dernier = 0;
            for (const auto& g : groupes) {
                l << entete(g.first);
                for (int k : g.second) {
                    if (parTemps && k != g.second.first())
                        l << QStringLiteral("L {A12gs}");
                    if (parTemps)
                        l << QStringLiteral("L {A12gs}»K7 N°%1").arg(k) << QStringLiteral("L {A12gs}");
                    for (const QString& t : Cassette[k])
                        l << film(4, t);
                    dernier = k;
                }
            }
            return l << (Cassette[dernier].isEmpty() ? QStringLiteral("L {A12gs}")
                                                     : QStringLiteral("L {A10}"));
        };
        const char* parNumero = "(classement par N° de cassette)";
        QTest::newRow("numéro") << 4 << false
                                << cassettes(
                                       parNumero,
                                       {{"K7 N°1", {1}}, {"K7 N°2", {2}}, {"K7 N°3", {3}}, {"K7 N°4", {4}}});
        QTest::newRow("numéro décroissant")
            << 4 << true
            << cassettes(parNumero, {{"K7 N°4", {4}}, {"K7 N°3", {3}}, {"K7 N°2", {2}}, {"K7 N°1", {1}}});
        const char* parTemps = "(classement par Temps Restant)";
        QTest::newRow("temps restant")
            << 5 << false
            << cassettes(parTemps, {{"01:00:00", {1}}, {"02:00:00", {3, 4}}, {"02:03:00", {2}}});
        QTest::newRow("temps restant décroissant")
            << 5 << true << cassettes(parTemps, {{"02:03:00", {2}}, {"02:00:00", {3, 4}}, {"01:00:00", {1}}});
        // An empty catalogue gives the title block alone.
        QTest::newRow("catalogue vide, titre")
            << -1 << false << titre("(classement par Titre de film)") + QStringList{"L {T16g}"};
        QTest::newRow("catalogue vide, temps restant")
            << -6 << false << titre(parTemps) + QStringList{"L {T16g}"};
    }

    void listes() {
        QFETCH(int, cle);
        QFETCH(bool, decroissant);
        QFETCH(QStringList, attendu);
        BancImpression banc;
        if (cle >= 0)
            remplir();
        cle = cle < 0 ? -1 - cle : cle;
        QCOMPARE(banc.dossier.invariants(), QStringList());
        Impression& f = banc.ouvrir();
        // On the round box, as a user does: past the caption the option does not take clicks.
        QTest::mouseClick(f.CaseTri[cle], Qt::LeftButton, {}, QPoint(8, f.CaseTri[cle]->height() / 2));
        if (decroissant)
            cliquerFleche(f, cle);
        const Apercu a = imprimer(f);
        QCOMPARE(a.lignes, attendu);
        QCOMPARE(a.caret, 0);
        // The screen stays open for another list, and writes it into a fresh preview.
        QVERIFY(f.isVisible() && !f.apercu());
        QCOMPARE(imprimer(f).lignes, attendu);
    }

    // A list longer than the window opens on its title.
    void listeLongue() {
        BancImpression banc;
        for (int k = 0; k < 10; ++k) {
            const qint64 k7 = banc.dossier.ajouterCassette(QStringLiteral("04:00:00"));
            for (int i = 0; i < 4; ++i)
                banc.dossier.placerFilm(k7, QStringLiteral("Film %1-%2").arg(k).arg(i),
                                        QStringLiteral("00:30:00"));
        }
        Impression& f = banc.ouvrir();
        const Apercu a = imprimer(f);
        QCOMPARE(a.lignes.size(), 4 + 40 * 4 + 1);
        QVERIFY(a.defilementMax > 0);
        QCOMPARE(a.defilement, 0);
        QCOMPARE(a.caret, 0);
    }

    // Each arrow turns its own key's direction and selects nothing.
    void fleches_data() {
        QTest::addColumn<QList<int>>("clics");
        QTest::addColumn<QString>("sens"); // per key, + ascending
        QTest::newRow("aucun") << QList<int>{} << "++++++";
        QTest::newRow("genre") << QList<int>{1} << "+-++++";
        QTest::newRow("genre deux fois") << QList<int>{1, 1} << "++++++";
        QTest::newRow("trois clés") << QList<int>{5, 2, 0, 5} << "-+-+++";
    }
    void fleches() {
        QFETCH(QList<int>, clics);
        QFETCH(QString, sens);
        BancImpression banc;
        Impression& f = banc.ouvrir();
        for (int cle : clics)
            cliquerFleche(f, cle);
        QString obtenu;
        for (int i = 0; i < 6; ++i) {
            QVERIFY(f.TriAsc[i]->isVisible() != f.TriDesc[i]->isVisible());
            QCOMPARE(f.TriAsc[i]->geometry(), f.TriDesc[i]->geometry());
            obtenu += f.croissant(i) ? QLatin1Char('+') : QLatin1Char('-');
            QCOMPARE(f.CaseTri[i]->isChecked(), i == 0);
        }
        QCOMPARE(obtenu, sens);
    }

    // From the keyboard: Tab goes from the choices to the arrows, Space turns the arrow that has the
    // focus, Up and Down set its direction, and the focus stays on the key's arrow shown.
    void flechesAuClavier() {
        BancImpression banc;
        Impression& f = banc.ouvrir();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.CaseTri[0]->setFocus();
        const QList<QPair<Qt::Key, QString>> pas = {
            {Qt::Key_Tab, "++"}, {Qt::Key_Space, "-+"}, {Qt::Key_Down, "-+"}, {Qt::Key_Up, "++"},
            {Qt::Key_Up, "++"},  {Qt::Key_Down, "-+"},  {Qt::Key_Tab, "-+"},  {Qt::Key_Space, "--"}};
        for (int i = 0; i < pas.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), pas[i].first);
            const int cle = i < 6 ? 0 : 1;
            QCOMPARE(QApplication::focusWidget(), f.croissant(cle) ? f.TriAsc[cle] : f.TriDesc[cle]);
            QCOMPARE(QString(f.croissant(0) ? "+" : "-") + (f.croissant(1) ? "+" : "-"), pas[i].second);
        }
    }

    // The empty lines that end a list print no page of their own, holding only its number.
    void pasDePageVide() {
        BancImpression banc;
        const QString pdf = banc.dossier.fichier(QStringLiteral("liste.pdf"));
        Dialogues::setRepondeurEnregistrement([&](const QString&, const QString&) { return pdf; });
        Messages::setRepondeur([](const QString&, int) { return Messages::Ok; });
        ApercuImpression a;
        a.TxtApercu->setPlainText(QStringLiteral("LISTE DES FILMS") + QString(200, QLatin1Char('\n')));
        a.BtnPdf_Click();
        Dialogues::setRepondeurEnregistrement({});
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) manque : le contenu du PDF n'est pas vérifié.");
        QCOMPARE(pdfEnTexte(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts).size(), 1);
    }

    void impression_data() {
        QTest::addColumn<bool>("imprimante");
        QTest::addColumn<int>("copies");        // 0: the dialog is cancelled
        QTest::addColumn<QString>("sortie");    // where the pages go, %1 the test folder
        QTest::addColumn<QString>("selection"); // the film whose line is selected; "+": printing all
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("imprime"); // in this order; "-" first: not printed
        const QString pdf = QStringLiteral("%1/liste.pdf");
        const QString enCours = QStringLiteral("Impression en cours vers %1/liste.pdf|0|");
        QTest::newRow("aucune imprimante") << false << 1 << pdf << ""
                                           << QStringList{"Aucune imprimante n'est installée, impossible "
                                                          "d'imprimer !!\n\nLe bouton « Enregistrer en "
                                                          "PDF… » garde la liste dans un fichier.|48|0"}
                                           << QStringList();
        QTest::newRow("dialogue annulé") << true << 0 << pdf << "" << QStringList() << QStringList();
        QTest::newRow("liste entière") << true << 1 << pdf << "" << QStringList{enCours + "1"}
                                       << QStringList{"LISTE DES FILMS", "(classement par Titre de film)",
                                                      "alien",           "Sigourney Weaver",
                                                      "Brazil",          "Été",
                                                      "Zorro",           "K7 N°1"};
        // The print system makes the copies from the printer's copy count.
        QTest::newRow("trois copies")
            << true << 3 << pdf << "" << QStringList{enCours + "3"} << QStringList{"Zorro"};
        QTest::newRow("sélection") << true << 1 << pdf << "Zorro" << QStringList{enCours + "1"}
                                   << QStringList{"Zorro",  "Italie",  "K7 N°1",      "-LISTE DES FILMS",
                                                  "-alien", "-Brazil", "-Alain Delon"};
        // The dialog opens on the selection; the whole list, once chosen there, is what prints.
        QTest::newRow("sélection, liste entière choisie")
            << true << 1 << pdf << "Zorro+" << QStringList{enCours + "1"}
            << QStringList{"LISTE DES FILMS", "alien", "Zorro", "Alain Delon"};
        // The preview stays open, so that the user may try again.
        QTest::newRow("échec de l'impression")
            << true << 1 << QStringLiteral("%1/absent/liste.pdf") << ""
            << QStringList{"L'impression vers %1/absent/liste.pdf a échoué : vérifiez que l'imprimante est "
                           "allumée et prête, puis recommencez.|16|1"}
            << QStringList();
    }
    void impression() {
        QFETCH(bool, imprimante);
        QFETCH(int, copies);
        QFETCH(QString, sortie);
        QFETCH(QString, selection);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, imprime);
        BancImpression banc;
        remplir();
        const QString pdf = sortie.arg(banc.dossier.chemin());
        Dialogues::setImprimantes([imprimante] { return imprimante ? QStringList{"Bureau"} : QStringList(); },
                                  [imprimante] { return imprimante ? QStringLiteral("Bureau") : QString(); });
        QPrinter* dialogue = nullptr;
        int demandes = 0;
        QList<int> drapeaux;
        bool offerte = false; // the dialog opened on the selection
        Dialogues::setRepondeurImpression([&](QPrinter& p, int d, Dialogues::Impression& choix) {
            ++demandes;
            drapeaux << d;
            offerte = choix.selectionSeulement;
            choix.selectionSeulement = !selection.endsWith(QLatin1Char('+'));
            if (copies == 0)
                return false;
            choix.copies = copies;
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            dialogue = &p;
            return true;
        });
        // Every box, with the printer's copy count at that moment.
        QStringList vus;
        Messages::setRepondeur([&](const QString& texte, int style) {
            vus << QStringLiteral("%1|%2|%3").arg(texte).arg(style).arg(dialogue ? dialogue->copyCount() : 0);
            return Messages::Ok;
        });
        Impression& f = banc.ouvrir();
        QStringList avant, apres;
        bool ouvert = false;
        puis([&] {
            ApercuImpression* a = f.apercu();
            QVERIFY(a);
            avant = decrire(*a->TxtApercu->document());
            if (!selection.isEmpty()) {
                QTextBlock b = a->TxtApercu->document()->begin();
                while (b.isValid() && !b.text().startsWith(QString(selection).remove(QLatin1Char('+'))))
                    b = b.next();
                QTextCursor c(b);
                c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
                a->TxtApercu->setTextCursor(c);
            }
            QTest::mouseClick(a->BtnAjouterFilm, Qt::LeftButton);
            if (copies == 0) // a second try asks again
                QTest::mouseClick(a->BtnAjouterFilm, Qt::LeftButton);
            dialogue = nullptr;
            ouvert = a->isVisible();
            apres = decrire(*a->TxtApercu->document());
            if (ouvert)
                a->Unload();
        });
        QTest::mouseClick(f.BtnAjouterFilm, Qt::LeftButton);

        QVERIFY(f.isVisible());
        const bool echec = sortie.contains(QLatin1String("absent"));
        // Without a printer the preview stays open on its PDF button.
        QCOMPARE(ouvert, (copies == 0 && imprimante) || echec || !imprimante);
        QCOMPARE(apres, avant);
        QCOMPARE(demandes, !imprimante ? 0 : copies == 0 ? 2 : 1);
        QCOMPARE(drapeaux, QList<int>(demandes, Dialogues::DrapeauAssembler));
        QCOMPARE(offerte, !selection.isEmpty());
        QCOMPARE(vus.join(QLatin1Char('\n')), messages.join(QLatin1Char('\n')).arg(banc.dossier.chemin()));
        QCOMPARE(QFile::exists(pdf), imprimante && copies > 0 && !echec);
        if (!QFile::exists(pdf))
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) manque : le contenu du PDF n'est pas vérifié.");
        const QString texte = pdfEnTexte(pdf);
        qsizetype ou = 0;
        for (const QString& t : imprime) {
            const bool absent = t.startsWith(QLatin1Char('-'));
            const qsizetype i = texte.indexOf(absent ? t.mid(1) : t, absent ? 0 : ou);
            QVERIFY2((i >= 0) != absent, qPrintable(t + QStringLiteral(" dans :\n") + texte));
            ou = qMax(ou, i);
        }
    }

    // The list kept as a PDF, with or without a printer: the name proposed is the list's, in the
    // folder of the last PDF; the extension comes by itself; an existing file is replaced only once
    // the user agrees ("Non" opens the dialog again). Each kind of file keeps its own folder.
    void enregistrementPdf() {
        BancImpression banc;
        remplir();
        Dialogues::setImprimantes([] { return QStringList(); }, [] { return QString(); });
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
        Impression& f = banc.ouvrir();
        f.CaseTri[5]->setChecked(true);
        puis([&] {
            ApercuImpression* a = f.apercu();
            QVERIFY(a);
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(a->BtnPdf, Qt::LeftButton);
            QVERIFY(a->isVisible());
            a->Unload();
        });
        QTest::mouseClick(f.BtnAjouterFilm, Qt::LeftButton);
        Dialogues::setRepondeurEnregistrement({});
        const QString nom = QStringLiteral("Cassettes par temps restant.pdf");
        QCOMPARE(proposes,
                 (QStringList{nom, banc.dossier.fichier(nom), pdf + ".pdf", banc.dossier.fichier(nom)}));
        const QString enregistree =
            QStringLiteral("La liste a été enregistrée dans ") + pdf + QStringLiteral(".pdf|64");
        const QString existe =
            QStringLiteral("Le fichier %1.pdf existe déjà.\n\nVoulez-vous le remplacer ?|36").arg(pdf);
        QCOMPARE(vus, (QStringList{enregistree, existe, existe, enregistree}));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) manque : le contenu du PDF n'est pas vérifié.");
        const QString texte = pdfEnTexte(pdf + QStringLiteral(".pdf"));
        QVERIFY2(texte.contains(QStringLiteral("LISTE DES FILMS")), qPrintable(texte));
        QVERIFY2(texte.contains(QStringLiteral("(classement par Temps Restant)")), qPrintable(texte));

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
        BancImpression banc;
        auto titre = [](int k, int j) {
            return QStringLiteral("Titre %1-%2")
                .arg(k, 2, 10, QLatin1Char('0'))
                .arg(j, 2, 10, QLatin1Char('0'));
        };
        for (int k = 1; k <= films.size(); ++k) {
            QStringList champs;
            for (int j = 1; j <= films[k - 1]; ++j)
                champs << QStringLiteral("FILM00:10:00") + titre(k, j) << QStringLiteral("00:05:00");
            champs << QStringLiteral("01:00:00");
            executer(QStringLiteral(
                         "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?, '', ?, ?)"),
                     {Outils::SecondesEnHeure(3600 + 900 * films[k - 1]), films[k - 1],
                      champs.join(QLatin1Char('/'))});
        }
        const QString pdf = banc.dossier.fichier(QStringLiteral("etiquettes.pdf"));
        Dialogues::setRepondeurEnregistrement([&](const QString&, const QString&) { return pdf; });
        QStringList vus;
        Messages::setRepondeur([&](const QString& texte, int) {
            vus << texte;
            return Messages::Ok;
        });
        ImpressionEtiquettes f;
        f.Show();
        (films.size() == 1 ? f.CaseUne : f.CaseToutes)->setChecked(true);
        (tranche ? f.CaseTranche : f.CaseFace)->setChecked(true);
        f.BtnPdf_Click();
        int pagesApercu = 0;
        puis([&] {
            pagesApercu = f.apercu()->findChild<QPrintPreviewWidget*>()->pageCount();
            f.apercu()->Unload();
        });
        f.BtnApercu_Click();
        Dialogues::setRepondeurEnregistrement({});
        QCOMPARE(vus, QStringList{QStringLiteral("Les étiquettes ont été enregistrées dans ") + pdf});
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) manque : le contenu du PDF n'est pas vérifié.");
        const QStringList pages = pdfEnTexte(pdf, true).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pagesApercu, pages.size());
        // Per cassette: the sheets its lines are on, the films shown, the films the "…" counts.
        QMap<int, QSet<int>> feuilles;
        QMap<int, QList<int>> montres;
        QMap<int, int> omis;
        const QRegularExpression ligneFilm(
            QStringLiteral("(\\d\\d:\\d\\d:\\d\\d)\\s+Titre (\\d\\d)-(\\d\\d)\\s+\\(00:10:00\\)"));
        const QRegularExpression suite(QStringLiteral("… et (\\d+) films? de plus"));
        for (int p = 0; p < pages.size(); ++p) {
            int k = 0;
            for (const QString& l : pages[p].split(QLatin1Char('\n'))) {
                if (const auto m = ligneFilm.match(l); m.hasMatch()) {
                    k = m.captured(2).toInt();
                    const int j = m.captured(3).toInt();
                    QCOMPARE(m.captured(1), Outils::SecondesEnHeure((j - 1) * 900));
                    feuilles[k] << p;
                    montres[k] << j;
                } else if (const auto s = suite.match(l); s.hasMatch()) {
                    QVERIFY2(k > 0, qPrintable(pages[p]));
                    omis[k] = s.captured(1).toInt();
                }
            }
        }
        bool abrege = false;
        for (int k = 1; k <= films.size(); ++k) {
            QVERIFY2(feuilles[k].size() == (films[k - 1] > 0 ? 1 : 0), qPrintable(titre(k, 0)));
            QCOMPARE(montres[k].size() + omis[k], films[k - 1]);
            for (int j = 0; j < montres[k].size(); ++j)
                QCOMPARE(montres[k][j], j + 1);
            abrege = abrege || omis[k] > 0;
        }
        QCOMPARE(abrege, QByteArray(QTest::currentDataTag()) != "face");
    }
};

QTEST_MAIN(TestImpression)
#include "tst_impression.moc"
