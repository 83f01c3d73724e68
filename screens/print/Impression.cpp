#include "screens/print/Impression.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"
#include "screens/print/ApercuImpression.h"

#include <QCollator>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>
#include <optional>
#include <vector>

using Unites::pixels;
using Unites::police;

namespace {

enum Cle { Titre, Genre, Duree, Date, Numero, TempsRestant };

struct Tri {
    const char* libelle;
    const char* croissant;
    const char* decroissant;
    const char* sousTitre;
};

const Tri Tris[6] = {
    {"Titre", "SELECT * FROM Film ORDER BY Titre ASC", "SELECT * FROM Film ORDER BY Titre DESC",
     "(classement par Titre de film)"},
    {"Genre", "SELECT * FROM Film ORDER BY Genre ASC, Titre ASC",
     "SELECT * FROM Film ORDER BY Genre DESC, Titre ASC", "(classement par Genre de film)"},
    {"Durée", "SELECT * FROM Film ORDER BY Durée ASC, Titre ASC",
     "SELECT * FROM Film ORDER BY Durée DESC, Titre ASC", "(classement par Durée de film)"},
    {"Date", "SELECT * FROM Film ORDER BY Date ASC, Titre ASC",
     "SELECT * FROM Film ORDER BY Date DESC, Titre ASC", "(classement par Date de film)"},
    {"Numéro", "SELECT * FROM K7 ORDER BY idK7 ASC", "SELECT * FROM K7 ORDER BY idK7 DESC",
     "(classement par N° de cassette)"},
    {"Temps restant", "SELECT * FROM K7 ORDER BY tempsRestant ASC, IDK7 ASC",
     "SELECT * FROM K7 ORDER BY TempsRestant DESC, IDK7 ASC", "(classement par Temps Restant)"},
};

const QString RC = QStringLiteral("\n"); // a line break of the list
const QString TAB = QStringLiteral("\t");

QString espaces(int n) {
    return QString(n, QLatin1Char(' '));
}

// Writes at the caret with a format that stays until changed, as a rich-text box is written.
class Redaction {
public:
    // The whole list is one edit: the preview lays its text out once, not after every insertion.
    explicit Redaction(QTextEdit* texte) : m_texte(texte), m_curseur(texte->document()) {
        // Nobody undoes the writing of a list: no undo record for each of its pieces.
        texte->document()->setUndoRedoEnabled(false);
        m_curseur.movePosition(QTextCursor::End);
        m_curseur.beginEditBlock();
    }
    // Text written in one format goes in with one insertion: a format change sends what waits.
    void police(const QString& nom) {
        vider();
        m_format.setFontFamilies({nom});
    }
    void taille(double points) {
        vider();
        m_format.setFontPointSize(points);
    }
    void gras(bool oui) {
        vider();
        m_format.setFontWeight(oui ? QFont::Bold : QFont::Normal);
    }
    void italique(bool oui) {
        vider();
        m_format.setFontItalic(oui);
    }
    void souligne(bool oui) {
        vider();
        m_format.setFontUnderline(oui);
    }
    void centre(bool oui) {
        vider();
        QTextBlockFormat bloc = m_curseur.blockFormat();
        bloc.setAlignment(oui ? Qt::AlignHCenter : Qt::AlignLeft);
        m_curseur.setBlockFormat(bloc);
    }
    void ecrire(const QString& texte) { m_attente += texte; }
    // The preview opens on the title.
    void auDebut() {
        vider();
        m_curseur.endEditBlock();
        QTextCursor c = m_texte->textCursor();
        c.setPosition(0);
        m_texte->setTextCursor(c);
    }

private:
    // A line break ends its line in the format in force, as a paragraph mark does: an empty line
    // is as high as the format it was ended in (the blank 12 pt line before a cassette header).
    void vider() {
        if (m_attente.isEmpty())
            return;
        const QStringList lignes = m_attente.split(QLatin1Char('\n'));
        m_attente.clear();
        for (int i = 0; i < lignes.size(); ++i) {
            if (i > 0) {
                // An empty line opened in another format takes the one in force.
                if (m_curseur.block().length() == 1 && m_formatBloc != m_format)
                    m_curseur.setBlockCharFormat(m_format);
                m_curseur.insertBlock(m_curseur.blockFormat(), m_format);
                m_formatBloc = m_format;
            }
            if (!lignes[i].isEmpty())
                m_curseur.insertText(lignes[i], m_format);
        }
    }

    QTextEdit* m_texte;
    QTextCursor m_curseur;
    QTextCharFormat m_format;
    QTextCharFormat m_formatBloc; // the format the current line was opened in
    QString m_attente;
};

QPixmap fleche(bool haut) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 0, 0), 1.5));
    p.setBrush(QColor(220, 20, 20));
    QPolygonF f;
    if (haut)
        f << QPointF(16, 3) << QPointF(29, 17) << QPointF(21, 17) << QPointF(21, 29) << QPointF(11, 29)
          << QPointF(11, 17) << QPointF(3, 17);
    else
        f << QPointF(16, 29) << QPointF(29, 15) << QPointF(21, 15) << QPointF(21, 3) << QPointF(11, 3)
          << QPointF(11, 15) << QPointF(3, 15);
    p.drawPolygon(f);
    return pm;
}

// A direction arrow also turns from the keyboard: Space turns it, Up makes the key ascending, Down
// descending (Enter still prints); it shows a frame while it has the focus.
class Fleche : public Etiquette {
public:
    Fleche(QWidget* parent, bool haut, int gauche, int hautLigne) : Etiquette(parent), m_haut(haut) {
        placer(gauche, hautLigne, 390, 390);
        setPixmap(fleche(haut));
        setScaledContents(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus); // a click turns it without leaving a focus frame
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const int k = e->key();
        if (k == Qt::Key_Space || (k == Qt::Key_Up && !m_haut) || (k == Qt::Key_Down && m_haut))
            emit Click();
        else if (k != Qt::Key_Up && k != Qt::Key_Down)
            Etiquette::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent* e) override {
        Etiquette::paintEvent(e);
        if (!hasFocus())
            return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }

private:
    bool m_haut;
};

} // namespace

Impression::Impression(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Imprimer la liste des films"));
    setTailleInterieure(6120, 4380);
    Label1 = Etiquette::creer(this, QStringLiteral("Imprimer la liste des films par :"), 240, 150, 5400, 300,
                              police(QStringLiteral("Arial"), 10, true));
    auto* Picture1 = new QFrame(this);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setGeometry(pixels(240), pixels(540), pixels(5640), pixels(2880));
    Label6 = Etiquette::creer(Picture1, QStringLiteral("FILM"), 120, 120, 2520, 360,
                              police(QStringLiteral("Arial Black"), 11));
    Label2 = Etiquette::creer(Picture1, QStringLiteral("CASSETTE"), 3000, 120, 2520, 360,
                              police(QStringLiteral("Arial Black"), 11));
    Label6->setAlignment(Qt::AlignCenter);
    Label2->setAlignment(Qt::AlignCenter);
    auto* Line1 = new QFrame(Picture1);
    Line1->setFrameShape(QFrame::VLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(pixels(2820), pixels(120), pixels(30), pixels(2640));

    for (int i = 0; i < 6; ++i) {
        const bool film = i < Numero;
        const int gauche = film ? 360 : 3240;
        const int rang = film ? i : i - Numero;
        const int hautLigne = 660 + rang * 540;
        CaseTri[i] = new QRadioButton(QString::fromUtf8(Tris[i].libelle), Picture1);
        CaseTri[i]->setGeometry(pixels(gauche), pixels(hautLigne), pixels(1800), pixels(390));
        CaseTri[i]->setFont(police(QStringLiteral("Arial"), 10));
        TriAsc[i] = new Fleche(Picture1, true, gauche + 1860, hautLigne);
        TriDesc[i] = new Fleche(Picture1, false, gauche + 1860, hautLigne);
        TriAsc[i]->setToolTip(QStringLiteral("Ordre croissant : cliquer pour l'ordre décroissant"));
        TriDesc[i]->setToolTip(QStringLiteral("Ordre décroissant : cliquer pour l'ordre croissant"));
        connect(TriAsc[i], &Etiquette::Click, this, [this, i] { TriAsc_Click(i); });
        connect(TriDesc[i], &Etiquette::Click, this, [this, i] { TriDesc_Click(i); });
    }
    CaseTri[0]->setChecked(true);

    BtnAjouterFilm = boutonOrange(this, QStringLiteral("Imprimer"));
    BtnAjouterFilm->setGeometry(pixels(840), pixels(3720), pixels(1800), pixels(450));
    BtnAjouterFilm->setDefault(true);
    BtnAnnuler = boutonOrange(this, QStringLiteral("Annuler"));
    BtnAnnuler->setGeometry(pixels(3480), pixels(3720), pixels(1800), pixels(450));
    lettreAcces(BtnAjouterFilm, 'I');
    lettreAcces(BtnAnnuler, 'N');
    // The choices are one group: Tab enters it at the checked one, the arrows move within it. The
    // direction arrows follow, each key's two in the same place (only the one shown takes Tab).
    ordreTabulation(
        {CaseTri[0], CaseTri[1], CaseTri[2], CaseTri[3], CaseTri[4], CaseTri[5], BtnAjouterFilm, BtnAnnuler});
    QWidget* avant = CaseTri[5];
    for (int i = 0; i < 6; ++i) {
        for (QWidget* e : {static_cast<QWidget*>(TriAsc[i]), static_cast<QWidget*>(TriDesc[i])}) {
            QWidget::setTabOrder(avant, e);
            avant = e;
        }
    }
    connect(BtnAjouterFilm, &QPushButton::clicked, this, &Impression::BtnAjouterFilm_Click);
    connect(BtnAnnuler, &QPushButton::clicked, this, &Impression::BtnAnnuler_Click);
}

void Impression::Form_Load() {
    const QString catalogue = QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue);
    for (SourceDonnees* s : {&DataFilm, &DataK7, &DataFilmK7})
        s->setDatabaseName(catalogue);
    for (int i = 0; i < 6; ++i) {
        TriAsc[i]->show();
        TriDesc[i]->hide();
    }
}

bool Impression::croissant(int Index) const {
    return !TriAsc[Index]->isHidden();
}

namespace {
// The arrow shown takes the focus from the one hidden, so that the keyboard keeps turning it.
void basculer(Etiquette* cachee, Etiquette* montree) {
    const bool focus = cachee->hasFocus();
    montree->show();
    if (focus)
        montree->setFocus(Qt::OtherFocusReason);
    cachee->hide();
}
} // namespace

void Impression::TriAsc_Click(int Index) {
    basculer(TriAsc[Index], TriDesc[Index]);
}

void Impression::TriDesc_Click(int Index) {
    basculer(TriDesc[Index], TriAsc[Index]);
}

void Impression::BtnAjouterFilm_Click() {
    for (int i = 0; i < 6; ++i) {
        if (!CaseTri[i]->isChecked())
            continue;
        switch (i) {
        case Titre:
            EditeParTitre();
            break;
        case Genre:
            EditeParGenre();
            break;
        case Duree:
            EditeParDuree();
            break;
        case Date:
            EditeParDate();
            break;
        case Numero:
            EditeParNumero();
            break;
        case TempsRestant:
            EditeParTempsRestant();
            break;
        }
        return;
    }
}

void Impression::BtnAnnuler_Click() {
    Unload();
}

void Impression::EditeParTitre() {
    editerFilms(Titre);
}
void Impression::EditeParGenre() {
    editerFilms(Genre);
}
void Impression::EditeParDuree() {
    editerFilms(Duree);
}
void Impression::EditeParDate() {
    editerFilms(Date);
}
void Impression::EditeParNumero() {
    editerCassettes(Numero);
}
void Impression::EditeParTempsRestant() {
    editerCassettes(TempsRestant);
}

namespace {

// "Films par titre", "Cassettes par temps restant": what the list is, as a file name.
QString nomListe(int cle) {
    return (cle < Numero ? QStringLiteral("Films par ") : QStringLiteral("Cassettes par ")) +
           QString::fromUtf8(Tris[cle].libelle).toLower();
}

void titre(Redaction& r, int cle) {
    r.gras(true);
    r.centre(true);
    r.police(QStringLiteral("Times New Roman"));
    r.taille(20);
    r.ecrire(QStringLiteral("LISTE DES FILMS") + RC);
    r.taille(16);
    r.ecrire(QString::fromUtf8(Tris[cle].sousTitre) + RC + RC + RC);
    r.gras(false);
    r.centre(false);
    r.police(QStringLiteral("Arial"));
}

// The film line of the cassette lists, in tape order.
void ligneFilmCassette(Redaction& r, const SourceDonnees& film) {
    r.taille(10);
    r.gras(true);
    r.italique(true);
    r.ecrire(TAB + film.Texte(QStringLiteral("Titre")) + espaces(5));
    r.gras(false);
    r.italique(false);
    r.ecrire(film.Texte(QStringLiteral("Durée")) + espaces(2));
    r.ecrire(film.Texte(QStringLiteral("Genre")) + espaces(2));
    r.ecrire(film.Texte(QStringLiteral("Pays")) + espaces(7));
    r.ecrire(RC);
    r.ecrire(TAB + QStringLiteral("de ") + film.Texte(QStringLiteral("Réalisateur")) + espaces(1));
    r.ecrire(QStringLiteral("avec ") + film.Texte(QStringLiteral("Acteurs")) + TAB);
    r.ecrire(RC + RC + RC);
}

} // namespace

// A list the catalogue could not give whole is not shown: printed, it would pass for complete.
void Impression::abandonner(const SourceDonnees& source) {
    delete m_apercu;
    m_apercu = nullptr;
    Appli::defaut();
    Messages::lectureImpossible(source);
}

void Impression::editerFilms(int cle) {
    Appli::Sablier sablier;
    auto* apercu = new ApercuImpression;
    apercu->charger();
    m_apercu = apercu;
    apercu->NomListe = nomListe(cle);
    DataFilm.setRecordSource(QString::fromUtf8(croissant(cle) ? Tris[cle].croissant : Tris[cle].decroissant));
    if (!DataFilm.Refresh())
        return abandonner(DataFilm);
    // One reading of the catalogue for the whole list, rather than one per query of each film.
    Catalogue::Transaction lecture;
    // The sort keeps "Comédie" and "comédie" apart, one after the other: the reader sees one genre,
    // so the list by genre takes them as one, with its titles in order across both spellings.
    QCollator francais(QLocale(QLocale::French, QLocale::France));
    francais.setCaseSensitivity(Qt::CaseInsensitive);
    francais.setNumericMode(true);
    auto genreDe = [&] { return DataFilm.Texte(QStringLiteral("Genre")).trimmed(); };
    QVector<SourceDonnees::Signet> ordre;
    if (cle == Genre) {
        // Sort keys made once per film: a large catalogue is not compared text by text.
        struct Ligne {
            SourceDonnees::Signet signet;
            QCollatorSortKey genre;
            QCollatorSortKey titre;
        };
        std::vector<Ligne> lignes;
        for (; !DataFilm.Eof(); DataFilm.MoveNext()) {
            if (!DataFilm.Lisible())
                return abandonner(DataFilm);
            lignes.push_back({DataFilm.Bookmark(), francais.sortKey(genreDe()),
                              francais.sortKey(DataFilm.Texte(QStringLiteral("Titre")))});
        }
        const bool monte = croissant(cle);
        std::stable_sort(lignes.begin(), lignes.end(), [&](const Ligne& a, const Ligne& b) {
            const int g = a.genre.compare(b.genre);
            return g != 0 ? (monte ? g < 0 : g > 0) : a.titre.compare(b.titre) < 0;
        });
        for (const Ligne& l : std::as_const(lignes))
            ordre.append(l.signet);
    }
    Redaction r(apercu->TxtApercu);
    titre(r, cle);
    std::optional<QString> genre; // the genre of the last header, none before the first
    for (int n = 0; cle == Genre ? n < ordre.size() : !DataFilm.Eof(); ++n) {
        if (cle == Genre && !DataFilm.setBookmark(ordre[n]))
            return abandonner(DataFilm);
        if (!DataFilm.Lisible())
            return abandonner(DataFilm);
        DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IdFilm=") +
                                   DataFilm.Texte(QStringLiteral("IdFilm")));
        if (!DataFilmK7.Refresh())
            return abandonner(DataFilmK7);
        auto champ = [&](const char* nom) { return DataFilm.Texte(QString::fromUtf8(nom)); };
        // Films without a genre have a header of their own, rather than passing for the previous one.
        if (cle == Genre) {
            const QString g = genreDe();
            if (!genre || francais.compare(g, *genre) != 0) {
                r.gras(true);
                r.taille(12);
                r.souligne(true);
                r.ecrire(RC + (g.isEmpty() ? QStringLiteral("INDÉFINI") : g.toUpper()) + RC + RC);
                r.gras(false);
                r.taille(10);
                r.souligne(false);
                genre = g;
            }
        }
        QString tete;
        QStringList milieu;
        switch (cle) {
        case Titre:
            tete = champ("Titre") + espaces(5);
            milieu = {champ("Durée") + espaces(2), champ("Genre") + espaces(2), champ("Pays") + espaces(2),
                      champ("Date") + espaces(7)};
            break;
        case Genre:
            tete = TAB + champ("Titre") + espaces(5);
            milieu = {champ("Durée") + espaces(2), champ("Pays") + espaces(2), champ("Date") + espaces(7)};
            break;
        case Duree:
            tete = champ("Durée") + TAB + champ("Titre") + espaces(5);
            milieu = {champ("Genre") + espaces(2), champ("Pays") + espaces(2), champ("Date") + espaces(7)};
            break;
        default:
            tete = champ("Date") + TAB + champ("Titre") + espaces(5);
            milieu = {champ("Durée") + espaces(2), champ("Genre") + espaces(2), champ("Pays") + espaces(7)};
        }
        r.taille(10);
        r.gras(true);
        r.italique(true);
        r.ecrire(tete);
        r.gras(false);
        r.italique(false);
        for (const QString& m : std::as_const(milieu))
            r.ecrire(m);
        r.taille(8);
        r.gras(true);
        r.souligne(true);
        r.ecrire(QStringLiteral("K7 N°") + DataFilmK7.Texte(QStringLiteral("IdK7")));
        r.gras(false);
        r.souligne(false);
        r.ecrire(RC);
        r.ecrire(TAB + QStringLiteral("de ") + champ("Réalisateur") + espaces(1));
        r.ecrire(QStringLiteral("avec ") + champ("Acteurs") + TAB);
        r.ecrire(RC + RC + RC);
        if (cle != Genre)
            DataFilm.MoveNext();
    }
    r.auDebut();
    lecture.valider();
    Appli::defaut();
    apercu->ShowModal(this);
    m_apercu = nullptr;
}

void Impression::editerCassettes(int cle) {
    Appli::Sablier sablier;
    auto* apercu = new ApercuImpression;
    apercu->charger();
    m_apercu = apercu;
    apercu->NomListe = nomListe(cle);
    DataK7.setRecordSource(QString::fromUtf8(croissant(cle) ? Tris[cle].croissant : Tris[cle].decroissant));
    if (!DataK7.Refresh())
        return abandonner(DataK7);
    // One reading of the catalogue for the whole list, rather than one per query of each film.
    Catalogue::Transaction lecture;
    Redaction r(apercu->TxtApercu);
    titre(r, cle);
    bool dejaUnTemps = false;
    int temps = 0;
    for (; !DataK7.Eof(); DataK7.MoveNext()) {
        if (!DataK7.Lisible())
            return abandonner(DataK7);
        const QString idK7 = DataK7.Texte(QStringLiteral("IdK7"));
        DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IdK7=") + idK7 +
                                   QStringLiteral(" ORDER BY Position"));
        if (!DataFilmK7.Refresh())
            return abandonner(DataFilmK7);
        r.gras(true);
        r.taille(12);
        r.souligne(true);
        if (cle == Numero) {
            r.ecrire(RC + QStringLiteral("K7 N°") + idK7 + RC + RC);
        } else {
            const QString restant = DataK7.Texte(QStringLiteral("TempsRestant"));
            if (!dejaUnTemps || Outils::HeureEnSecondes(restant) != temps) {
                r.ecrire(RC + restant + RC + RC);
                temps = Outils::HeureEnSecondes(restant);
                dejaUnTemps = true;
            } else {
                r.ecrire(RC);
            }
            r.ecrire(TAB + QStringLiteral("K7 N°") + idK7 + RC + RC);
        }
        r.gras(false);
        r.taille(10);
        r.souligne(false);
        for (; !DataFilmK7.Eof(); DataFilmK7.MoveNext()) {
            if (!DataFilmK7.Lisible())
                return abandonner(DataFilmK7);
            DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film WHERE IdFilm = ") +
                                     DataFilmK7.Texte(QStringLiteral("IdFilm")));
            if (!DataFilm.Refresh())
                return abandonner(DataFilm);
            // A placement whose film is gone (a damaged catalogue) has nothing to show.
            if (!DataFilm.Eof())
                ligneFilmCassette(r, DataFilm);
        }
    }
    r.auDebut();
    lecture.valider();
    Appli::defaut();
    apercu->ShowModal(this);
    m_apercu = nullptr;
}
