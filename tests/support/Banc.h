#pragma once

// What the tests share: a temporary application folder with the main window on it, catalogues
// written as text, typing as a keyboard does, answering modal forms.

#include "catalogue/Catalogue.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Feuille.h"
#include "screens/common/Grille.h"
#include "screens/common/Unites.h"
#include "screens/film/AjoutFilm.h"
#include "screens/main/Moniteur.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Ecrans.h"
#include "tests/support/Sql.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <utility>

namespace banc {

// A file's bytes, a file written whole: the folder's own.
inline constexpr auto octets = &DossierTest::octets;
inline constexpr auto ecrire = &DossierTest::ecrire;

// A small picture saved as JPEG, told apart by its colour.
inline QByteArray image(const QString& chemin, Qt::GlobalColor couleur) {
    QImage i(24, 32, QImage::Format_RGB32);
    i.fill(couleur);
    i.save(chemin, "JPG");
    return octets(chemin);
}

// Types text the way a keyboard does, one key at a time; accented letters too.
inline void taper(QWidget* champ, const QString& texte) {
    for (const QChar c : texte)
        QTest::sendKeyEvent(QTest::Click, champ, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Closes every modal form still open, innermost first, ending their waits.
inline void fermerModales() {
    while (QWidget* w = QApplication::activeModalWidget()) {
        if (!w->close())
            break;
    }
}

// What the user does in the modal form about to open: queued before the call that opens it.
// A failed check closes what is left open, so that the test ends instead of waiting forever.
inline void puis(std::function<void()> geste) {
    QTimer::singleShot(0, [geste = std::move(geste)] {
        geste();
        if (QTest::currentTestFailed())
            fermerModales();
    });
}

inline void cliquerLigne(Grille& g, int ligne) {
    const QModelIndex i = g.model()->index(ligne - 1, 0);
    g.scrollTo(i);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(i).center());
}

inline void cliquerEntete(Grille& g, int colonne) {
    QHeaderView* h = g.horizontalHeader();
    const QPoint p(h->sectionViewportPosition(colonne) + h->sectionSize(colonne) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
}

// Drags the right border of a header section by dx pixels, as a resize does.
inline void tirerBord(Grille& g, int colonne, int dx) {
    QHeaderView* h = g.horizontalHeader();
    const QPoint p(h->sectionViewportPosition(colonne) + h->sectionSize(colonne) - 1, h->height() / 2);
    QTest::mousePress(h->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseMove(h->viewport(), p + QPoint(dx, 0));
    QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, p + QPoint(dx, 0));
}

// The columns in sight fill the grid's width, none beyond it.
inline bool colonnesAjustees(const Grille& g) {
    int largeur = 0;
    for (int c = 0; c < g.Cols(); ++c)
        largeur += g.isColumnHidden(c) ? 0 : g.columnWidth(c);
    return largeur == g.viewport()->width() && g.horizontalScrollBar()->maximum() == 0;
}

// Data rows of a grid, each as its cells joined by "|".
inline QStringList lignes(const Grille& g, int colonnes) {
    QStringList l;
    for (int r = 1; r < g.Rows(); ++r) {
        QStringList cellules;
        for (int c = 0; c < colonnes; ++c)
            cellules << g.TextMatrix(r, c);
        l << cellules.join(QLatin1Char('|'));
    }
    return l;
}

// A bar as drawn: per segment "R" (film), "B" (free) or "J" (proposed), then its length.
inline QString barre(const AvecBarre& f) {
    QStringList s;
    for (int i = 0; i <= f.shape.UBound(); ++i) {
        const int c = f.shape(i).BackColor();
        s << QString(c == Unites::Rouge ? "R" : c == Unites::Jaune ? "J" : "B") + f.lblDuree(i).Caption();
    }
    return s.join(QLatin1Char(' '));
}

// Data rows wholly in sight.
inline int lignesVisibles(const Grille& g) {
    int n = 0;
    for (int r = 0; r < g.model()->rowCount(); ++r) {
        if (g.viewport()->rect().contains(g.visualRect(g.model()->index(r, 0))))
            ++n;
    }
    return n;
}

inline Sql executer(const QString& sql, const QVariantList& valeurs = {}) {
    Sql q;
    q.prepare(sql);
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!q.exec())
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError()));
    return q;
}

// A cassette holding exactly this layout record, with its films and their placements.
inline qint64 cassette(const QString& status) {
    int duree = 0, libre = 0;
    QStringList films;
    for (const QString& champ : Fonctions::Champs(status)) {
        const bool film = Fonctions::EstFilm(champ);
        const int d = Outils::HeureEnSecondes(film ? champ.mid(4, 8) : champ);
        duree += d;
        if (film)
            films << champ;
        else
            libre += d;
    }
    const qint64 id =
        executer(
            QStringLiteral("INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES (?, ?, ?, ?)"),
            {Outils::SecondesEnHeure(duree), Outils::SecondesEnHeure(libre), films.size(), status})
            .lastInsertId()
            .toLongLong();
    for (int p = 1; p <= films.size(); ++p) {
        const QString& f = films[p - 1];
        const qint64 idFilm =
            executer(QStringLiteral(
                         "INSERT INTO Film (Titre, \"Réalisateur\", Acteurs, \"Durée\", Date, Pays, Genre, "
                         "Description) VALUES (?, 'Néant', 'Néant', ?, '2000', 'France', 'Drame', 'Résumé')"),
                     {f.mid(12), f.mid(4, 8)})
                .lastInsertId()
                .toLongLong();
        executer(QStringLiteral("INSERT INTO FilmK7 (IdFilm, IdK7, Position) VALUES (?, ?, ?)"),
                 {idFilm, id, p});
    }
    return id;
}

// A catalogue written as text, one cassette per line in its layout record, for instance
//     FILM01:00:00Alpha/00:30:00/FILM01:00:00Bravo
//     03:00:00
// Blank lines are skipped and the lines' leading spaces ignored. The films are numbered in the
// order they appear; the cassettes' numbers are returned in line order.
inline QList<qint64> catalogue(const QString& texte) {
    QList<qint64> ids;
    for (const QString& ligne : texte.split(QLatin1Char('\n'))) {
        if (!ligne.trimmed().isEmpty())
            ids << cassette(ligne.trimmed());
    }
    return ids;
}

// Every placement as "cassette:position:title", in tape order.
inline QStringList placements() {
    QStringList l;
    Sql q = executer(QStringLiteral("SELECT p.IdK7, p.Position, f.Titre FROM FilmK7 p JOIN Film f ON "
                                    "f.IdFilm = p.IdFilm ORDER BY p.IdK7, p.Position"));
    while (q.next())
        l << QStringLiteral("%1:%2:%3")
                 .arg(q.value(0).toLongLong())
                 .arg(q.value(1).toInt())
                 .arg(q.value(2).toString());
    return l;
}

// The film form's fields in the order of the Film table: title, director, actors, duration,
// year, country, genre, summary.
inline QStringList champs(const AjoutFilm& f) {
    return {f.TxtTitre->texte(),         f.TxtRealisateur->text(),
            f.TxtActeurs->toPlainText(), f.TxtDuree->text(),
            f.TxtDate->text(),           f.TxtPays->text(),
            f.ComboGenre->currentText(), f.TxtDescription->toPlainText()};
}

inline void remplir(AjoutFilm& f, const QStringList& v) {
    f.TxtTitre->setPlainText(v[0]);
    f.TxtRealisateur->setText(v[1]);
    f.TxtActeurs->setPlainText(v[2]);
    f.TxtDuree->setText(v[3]);
    f.TxtDate->setText(v[4]);
    f.TxtPays->setText(v[5]);
    f.ComboGenre->setCurrentText(v[6]);
    f.TxtDescription->setPlainText(v[7]);
}

// A temporary application folder with the placeholder picture and a poster folder; the main
// window is started on it once the test has filled the catalogue.
struct Banc {
    DossierTest dossier;
    Repondeur repondeur;
    QPointer<Moniteur> m;

    Banc() {
        QFile::copy(QStringLiteral(CASSETRON_RESSOURCES "/NoPicture.jpg"), placeholder());
        Appli::setDossier(dossier.chemin());
    }
    ~Banc() {
        fermerModales();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != m && w->isVisible() && qobject_cast<Feuille*>(w))
                w->close();
        }
        delete m;
    }
    QString affiche(qint64 idFilm) const {
        return dossier.fichier(QStringLiteral("Affiche/%1.jpg").arg(idFilm));
    }
    QStringList affiches() const {
        return QDir(dossier.fichier(QStringLiteral("Affiche"))).entryList(QDir::Files | QDir::Hidden);
    }

    // An empty catalogue says so when the main window opens.
    Moniteur& demarrer() {
        Sql q = executer(QStringLiteral("SELECT count(*) FROM FilmK7"));
        const bool vide = q.next() && q.value(0).toInt() == 0;
        q.finish();
        demarrer(vide ? 1 : 0);
        repondeur.effacer();
        return *m;
    }
    // The main window on the catalogue as the test left it, past this many boxes at start; the
    // boxes stay in the log.
    Moniteur& demarrer(int messages) {
        for (int i = 0; i < messages; ++i)
            repondeur.attendre();
        Catalogue::fermer();
        m = new Moniteur;
        m->Show();
        return *m;
    }
    QString placeholder() const { return dossier.fichier(QStringLiteral("NoPicture.jpg")); }
    // The picture the main window shows.
    QImage montree() const { return m->Affiche->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }
};

// A data table written as text, one row a line: its name, then its fields, separated by "|" and
// trimmed; the first line names the columns, all of them texts. In a field "\s" is a space, "\t"
// a tab and "\n" a line break.
inline void table(const QString& texte) {
    bool entete = true;
    for (const QString& ligne : texte.split(QLatin1Char('\n'))) {
        if (ligne.trimmed().isEmpty())
            continue;
        QStringList champs;
        for (const QString& c : ligne.split(QLatin1Char('|')))
            champs << c.trimmed().replace("\\s", " ").replace("\\t", "\t").replace("\\n", "\n");
        if (std::exchange(entete, false)) {
            static QList<QByteArray> noms; // Qt Test keeps the names' addresses
            for (const QString& c : champs.mid(1))
                QTest::addColumn<QString>((noms << c.toUtf8()).constLast().constData());
            continue;
        }
        QTestData& rangee = QTest::newRow(champs[0].toUtf8().constData());
        for (const QString& c : champs.mid(1))
            rangee << c;
    }
}

// Every file of the poster folder, temporary ones included, with its bytes.
inline QMap<QString, QByteArray> contenuAffiches(const Banc& b) {
    QMap<QString, QByteArray> m;
    for (const QString& f : b.affiches())
        m.insert(f, octets(b.dossier.fichier(QStringLiteral("Affiche/") + f)));
    return m;
}

// Browses forward to the film with this title.
inline void montrer(Moniteur& m, const QString& titre) {
    for (int i = 0; i < 20 && m.LblTitre->text() != titre; ++i)
        QTest::mouseClick(m.BtnNextFilm, Qt::LeftButton);
    QCOMPARE(m.LblTitre->text(), titre);
}

} // namespace banc

#include <array>

namespace banc {

// The current data row's texts, read by column name, for a structured binding.
template <std::size_t N> std::array<QString, N> lire(const char* const (&noms)[N]) {
    std::array<QString, N> v;
    for (std::size_t i = 0; i < N; ++i)
        v[i] = *static_cast<QString*>(QTest::qData(noms[i], qMetaTypeId<QString>()));
    return v;
}

} // namespace banc
