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
#include <QVarLengthArray>

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
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

// What a list says, in the order it is written: a change of format, the start of an entry (a
// film, a header), text on one line, or a line break.
struct Ordre {
    enum Genre : quint8 { Police, Taille, Gras, Italique, Souligne, Centre, Entree, Texte, Saut };
    Genre genre;
    bool oui = false;
    double points = 0;
    QString texte; // the family (Police), the text (Texte)
};

// Writes with a format that stays until changed, as a rich-text box is written, into a fresh
// document. Runs in a thread of its own: the document is written while the catalogue is read.
//
// Each entry of the list (a film, a header) is one paragraph whose lines end with line
// separators: the document's trees take one paragraph and a few runs per film rather than a
// paragraph per line, and a triple click selects the entry. The pages stay the same: an empty
// line is as high as the format it was ended in, as if it were a paragraph of its own. Ended by a
// line separator it takes that from the separator; the last line of a paragraph takes it from the
// paragraph's format, so that the empty lines of one paragraph are all alike (else it is cut). A
// paragraph is kept until it ends, then written whole with the format its empty lines need.
class Ecrivain {
public:
    explicit Ecrivain(QTextDocument* document) : m_curseur(document) { m_curseur.beginEditBlock(); }
    ~Ecrivain() {
        couper();
        ecrireParagraphe();
        m_curseur.endEditBlock();
    }
    void executer(const Ordre& o) {
        switch (o.genre) {
        case Ordre::Police:
            changer().setFontFamilies({o.texte});
            break;
        case Ordre::Taille:
            changer().setFontPointSize(o.points);
            break;
        case Ordre::Gras:
            changer().setFontWeight(o.oui ? QFont::Bold : QFont::Normal);
            break;
        case Ordre::Italique:
            changer().setFontItalic(o.oui);
            break;
        case Ordre::Souligne:
            changer().setFontUnderline(o.oui);
            break;
        case Ordre::Centre:
            // The line aligned anew opens a paragraph.
            couper();
            m_bloc.setAlignment(o.oui ? Qt::AlignHCenter : Qt::AlignLeft);
            m_blocParagraphe = m_bloc;
            break;
        case Ordre::Entree:
            couper();
            break;
        case Ordre::Texte:
            poser();
            ajouter(o.texte, m_format, m_version);
            m_ligneVide = false;
            break;
        case Ordre::Saut:
            m_sauts.push_back({{}, m_format, m_version});
            break;
        }
    }

private:
    struct Morceau {
        QString texte;
        QTextCharFormat format;
        int version;
    };

    QTextCharFormat& changer() {
        ++m_version;
        return m_format;
    }
    void ajouter(const QString& texte, const QTextCharFormat& format, int version) {
        if (!m_morceaux.empty() && m_morceaux.back().version == version)
            m_morceaux.back().texte += texte;
        else
            m_morceaux.push_back({texte, format, version});
    }
    // The current line is empty and ends in format f: the paragraph's empty lines stay alike.
    void finirLigneVide(const Morceau& f) {
        if (m_vides && m_formatVide != f.format) {
            // The line separator that opened this line becomes a paragraph mark.
            Morceau& dernier = m_morceaux.back();
            const QTextCharFormat ouverture = dernier.format;
            dernier.texte.chop(1);
            if (dernier.texte.isEmpty())
                m_morceaux.pop_back();
            ecrireParagraphe();
            m_ouverture = ouverture;
        }
        if (!m_vides) {
            m_vides = true;
            m_formatVide = f.format;
        }
    }
    // The line breaks waiting become line separators: the text goes on after them.
    void poser() {
        for (const Morceau& s : m_sauts) {
            if (m_ligneVide)
                finirLigneVide(s);
            ajouter(QString(QChar::LineSeparator), s.format, s.version);
            m_ligneVide = true;
        }
        m_sauts.clear();
    }
    // The last line break waiting ends the paragraph, and what follows opens another.
    void couper() {
        if (m_sauts.empty())
            return;
        const Morceau fin = m_sauts.back();
        m_sauts.pop_back();
        poser();
        if (m_ligneVide)
            finirLigneVide(fin);
        ecrireParagraphe();
        m_ouverture = fin.format;
    }
    // The paragraph kept, after a paragraph mark in the format its empty lines need.
    void ecrireParagraphe() {
        const QTextCharFormat& format = m_vides ? m_formatVide : m_ouverture;
        if (m_premier) {
            m_curseur.setBlockFormat(m_blocParagraphe);
            if (m_vides)
                m_curseur.setBlockCharFormat(format);
            m_premier = false;
        } else {
            m_curseur.insertBlock(m_blocParagraphe, format);
        }
        for (const Morceau& m : m_morceaux)
            m_curseur.insertText(m.texte, m.format);
        m_morceaux.clear();
        m_blocParagraphe = m_bloc;
        m_vides = false;
    }
    QTextCursor m_curseur;
    QTextBlockFormat m_bloc;           // the alignment in force
    QTextBlockFormat m_blocParagraphe; // the kept paragraph's
    QTextCharFormat m_format;
    int m_version = 0;               // changes with the format: pieces of one version are one run
    std::vector<Morceau> m_morceaux; // the paragraph kept
    std::vector<Morceau> m_sauts;    // line breaks not yet placed, with their formats
    QTextCharFormat m_ouverture;     // the format of the line break that opened the paragraph
    QTextCharFormat m_formatVide;    // the format of the paragraph's empty lines
    bool m_vides = false;            // the paragraph has empty lines
    bool m_ligneVide = true;         // nothing written yet on the current line
    bool m_premier = true;           // the paragraph kept is the document's first
};

// Takes what a list says and has it written into a document of its own by another thread, in
// batches, so that reading the catalogue and laying the text into the document's trees (the
// larger part at a large size) go on together. The document is handed over once whole: the
// preview lays it out once, and nothing in it is shared while it is written.
class Redaction {
public:
    // A short list is written as it is read: a thread would cost more than it saves.
    Redaction(const QTextDocument& modele, int films) : m_document(std::make_unique<QTextDocument>()) {
        m_document->setDefaultFont(modele.defaultFont());
        // Nobody undoes the writing of a list: no undo record for each of its pieces.
        m_document->setUndoRedoEnabled(false);
        if (films >= 2000)
            m_fil = std::thread([this] { travailler(); });
        else
            m_ecrivain.emplace(m_document.get());
    }
    // A list given up: the writing stops where it is, and its document goes.
    ~Redaction() {
        if (m_fil.joinable()) {
            {
                std::lock_guard<std::mutex> verrou(m_verrou);
                m_arret = m_fin = true;
            }
            m_reveil.notify_one();
            m_fil.join();
        }
    }
    Redaction(const Redaction&) = delete;
    Redaction& operator=(const Redaction&) = delete;

    // Text written in one format goes in with one insertion: a format change sends what waits.
    void police(const QString& nom) { pousser({Ordre::Police, false, 0, nom}); }
    void taille(double points) { pousser({Ordre::Taille, false, points, {}}); }
    void gras(bool oui) { pousser({Ordre::Gras, oui, 0, {}}); }
    void italique(bool oui) { pousser({Ordre::Italique, oui, 0, {}}); }
    void souligne(bool oui) { pousser({Ordre::Souligne, oui, 0, {}}); }
    void centre(bool oui) { pousser({Ordre::Centre, oui, 0, {}}); }
    // What follows, from the current line on, is an entry of the list: a film, a header.
    void entree() { pousser({Ordre::Entree, false, 0, {}}); }
    // The line breaks are found here rather than by the writer, which has the larger share.
    void ecrire(QStringView texte) {
        for (;;) {
            const qsizetype fin = texte.indexOf(QLatin1Char('\n'));
            if (fin < 0) {
                m_attente += texte;
                return;
            }
            m_attente += texte.left(fin);
            pousser({Ordre::Saut, false, 0, {}});
            texte = texte.mid(fin + 1);
        }
    }

    // Waits for the last line and gives the document away.
    std::unique_ptr<QTextDocument> document() {
        vider();
        envoyer();
        if (!m_fil.joinable()) {
            m_ecrivain.reset();
            return std::move(m_document);
        }
        {
            std::lock_guard<std::mutex> verrou(m_verrou);
            m_fin = true;
        }
        m_reveil.notify_one();
        m_fil.join();
        return std::move(m_document);
    }

private:
    void vider() {
        if (m_attente.isEmpty())
            return;
        m_lot.push_back({Ordre::Texte, false, 0, std::move(m_attente)});
        m_attente = QString();
    }
    void pousser(Ordre o) {
        vider();
        m_lot.push_back(std::move(o));
        if (m_lot.size() >= Lot)
            envoyer();
    }
    void envoyer() {
        if (m_lot.empty())
            return;
        if (m_ecrivain) {
            for (const Ordre& o : m_lot)
                m_ecrivain->executer(o);
            m_lot.clear();
            return;
        }
        {
            // The catalogue is read faster than the document is written: what waits for the
            // writer is kept short, rather than the whole list held twice.
            std::unique_lock<std::mutex> verrou(m_verrou);
            m_place.wait(verrou, [this] { return m_lots.size() < 4; });
            m_lots.push_back(std::move(m_lot));
        }
        m_lot = {};
        m_lot.reserve(Lot);
        m_reveil.notify_one();
    }
    void travailler() {
        Ecrivain e(m_document.get());
        for (;;) {
            std::vector<Ordre> lot;
            {
                std::unique_lock<std::mutex> verrou(m_verrou);
                m_reveil.wait(verrou, [this] { return m_fin || !m_lots.empty(); });
                if (m_arret || m_lots.empty())
                    return;
                lot = std::move(m_lots.front());
                m_lots.pop_front();
            }
            m_place.notify_one();
            for (const Ordre& o : lot)
                e.executer(o);
        }
    }

    static constexpr std::size_t Lot = 4096; // orders sent to the writer at once
    std::unique_ptr<QTextDocument> m_document;
    QString m_attente;
    std::vector<Ordre> m_lot;
    std::mutex m_verrou;
    std::condition_variable m_reveil; // a batch or the end for the writer
    std::condition_variable m_place;  // room for a batch
    std::deque<std::vector<Ordre>> m_lots;
    bool m_fin = false;
    bool m_arret = false;
    std::thread m_fil;
    std::optional<Ecrivain> m_ecrivain; // without a thread
};

// The list written, into the preview, which opens on its title.
void montrer(QTextEdit* apercu, std::unique_ptr<QTextDocument> document) {
    QTextDocument* d = document.release();
    d->setParent(apercu); // the preview does not own a document it is given
    d->documentLayout()->setPaintDevice(apercu->viewport());
    apercu->setDocument(d);
    QTextCursor c = apercu->textCursor();
    c.setPosition(0);
    apercu->setTextCursor(c);
}

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

const QString& espacesDe(int n) {
    static const QString Espaces[8] = {espaces(0), espaces(1), espaces(2), espaces(3),
                                       espaces(4), espaces(5), espaces(6), espaces(7)};
    return Espaces[n];
}

// The second line of a film's entry, and the empty lines after it.
void realisation(Redaction& r, const QString& realisateur, const QString& acteurs) {
    r.ecrire(u"\n\tde ");
    r.ecrire(realisateur);
    r.ecrire(espacesDe(1));
    r.ecrire(u"avec ");
    r.ecrire(acteurs);
    r.ecrire(u"\t\n\n\n");
}

// What the film line of the cassette lists shows, in the order it reads them.
const QStringList ChampsFilmCassette = {QStringLiteral("Titre"),       QStringLiteral("Durée"),
                                        QStringLiteral("Genre"),       QStringLiteral("Pays"),
                                        QStringLiteral("Réalisateur"), QStringLiteral("Acteurs")};

// The film line of the cassette lists, in tape order, from the fields above.
void ligneFilmCassette(Redaction& r, const QStringList& f) {
    r.entree();
    r.taille(10);
    r.gras(true);
    r.italique(true);
    r.ecrire(TAB);
    r.ecrire(f[0]);
    r.ecrire(espacesDe(5));
    r.gras(false);
    r.italique(false);
    for (int i = 1; i <= 3; ++i) {
        r.ecrire(f[i]);
        r.ecrire(espacesDe(i < 3 ? 2 : 7));
    }
    realisation(r, f[4], f[5]);
}

// A film on a cassette, at its position on the tape.
struct Place {
    QVariant position;
    qint64 film;
};

// The engine's order of positions: none first, then numbers, then texts.
bool avant(const Place& a, const Place& b) {
    auto rang = [](const QVariant& v) { return v.isNull() ? 0 : v.typeId() == QMetaType::QString ? 2 : 1; };
    const int ra = rang(a.position), rb = rang(b.position);
    if (ra != rb)
        return ra < rb;
    if (ra == 2)
        return a.position.toString() < b.position.toString();
    return ra == 1 && a.position.toDouble() < b.position.toDouble();
}

} // namespace

// A list the catalogue could not give whole is not shown: printed, it would pass for complete.
bool Impression::parcourirPlacements(const std::function<void()>& chacune) {
    DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7"));
    if (!DataFilmK7.Refresh())
        return false;
    for (; !DataFilmK7.Eof(); DataFilmK7.MoveNext()) {
        if (!DataFilmK7.Lisible())
            return false;
        chacune();
    }
    return true;
}

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
    QVector<SourceDonnees::Signet> ordre;
    QVector<int> groupeDe; // by genre: the group of each film of `ordre`
    if (cle == Genre) {
        // The sort keeps "Comédie" and "comédie" apart, one after the other: the reader sees one
        // genre, so the list by genre takes them as one, with its titles in order across both.
        const auto collateur = [] {
            QCollator c(QLocale(QLocale::French, QLocale::France));
            c.setCaseSensitivity(Qt::CaseInsensitive);
            c.setNumericMode(true);
            return c;
        };
        const QCollator francais = collateur();
        // Sort keys made once per film: a large catalogue is not compared text by text. Its
        // genres and titles are read in one pass over the table, two halves at once when large,
        // each thread making the title keys of its half with a collator of its own.
        const QCollator autreFil = collateur();
        const std::thread::id principal = std::this_thread::get_id();
        struct Lu {
            SourceDonnees::Signet signet = 0;
            QString genre;
            std::optional<QCollatorSortKey> titre;
        };
        std::vector<Lu> lus(DataFilm.RecordCount());
        if (!DataFilm.Textes(
                {QStringLiteral("IdFilm"), QStringLiteral("Genre"), QStringLiteral("Titre")},
                [&](int rang, QStringList& t) {
                    const QCollator& c = std::this_thread::get_id() == principal ? francais : autreFil;
                    lus[rang] = {t[0].toLongLong(), t[1].trimmed(), c.sortKey(t[2])};
                },
                true))
            return abandonner(DataFilm);
        // The genres, a few for many films, in order; those the reader takes as one (letter case)
        // make one group.
        QHash<QString, int> groupes;
        for (const Lu& l : lus)
            groupes.insert(l.genre, 0);
        std::vector<std::pair<QCollatorSortKey, QString>> genres;
        for (auto it = groupes.cbegin(); it != groupes.cend(); ++it)
            genres.emplace_back(francais.sortKey(it.key()), it.key());
        std::sort(genres.begin(), genres.end(),
                  [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        int dernier = 0;
        for (std::size_t i = 0; i < genres.size(); ++i) {
            if (i > 0 && genres[i].first.compare(genres[i - 1].first) != 0)
                ++dernier;
            groupes[genres[i].second] = dernier;
        }
        // The films by group, each group in the record set's order, then in title order: a
        // stable sort by genre, then title. A group whose titles are in order already (the
        // record set's own sort is by genre, then title) is not sorted again.
        const bool monte = croissant(cle);
        std::vector<std::vector<int>> parGroupe(std::size_t(dernier) + 1);
        for (int i = 0; i < int(lus.size()); ++i) {
            const int g = groupes.value(lus[i].genre);
            parGroupe[std::size_t(monte ? g : dernier - g)].push_back(i);
        }
        const auto avantTitre = [&](int a, int b) { return lus[a].titre->compare(*lus[b].titre) < 0; };
        ordre.reserve(qsizetype(lus.size()));
        groupeDe.reserve(qsizetype(lus.size()));
        for (std::size_t g = 0; g < parGroupe.size(); ++g) {
            std::vector<int>& groupe = parGroupe[g];
            if (!std::is_sorted(groupe.begin(), groupe.end(), avantTitre))
                std::stable_sort(groupe.begin(), groupe.end(), avantTitre);
            for (const int i : groupe) {
                ordre.append(lus[i].signet);
                groupeDe.append(int(g));
            }
        }
    }
    // Each film's cassette from one reading of the placements, rather than one query per film: its
    // first placement, as a query by film gives it (the rows of one film in the table's order).
    DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7"));
    if (!DataFilmK7.Refresh())
        return abandonner(DataFilmK7);
    std::vector<std::pair<QString, QString>> placements(DataFilmK7.RecordCount());
    if (!DataFilmK7.Textes(
            {QStringLiteral("IdFilm"), QStringLiteral("IdK7")},
            [&](int rang, QStringList& t) {
                placements[rang] = {std::move(t[0]), std::move(t[1])};
            },
            true))
        return abandonner(DataFilmK7);
    QHash<qint64, QString> cassettes;
    cassettes.reserve(qsizetype(placements.size()));
    for (auto& [film, k7] : placements) {
        const qint64 id = film.toLongLong();
        if (!film.isEmpty() && !cassettes.contains(id))
            cassettes.insert(id, std::move(k7));
    }
    placements = {};
    // One reading of the catalogue for the whole list, rather than one per film.
    Catalogue::Transaction lecture;
    const Catalogue::GrandCache cache(DataFilm.RecordCount()); // films sought in the list's order
    // Each film's fields are read as the list comes to it, while the document is written: the
    // writing starts with the first film rather than after a pass over the whole table.
    enum { IdFilm, Titre_, Duree_, Genre_, Pays, Date_, Realisateur, Acteurs };
    const QStringList champs = {QStringLiteral("IdFilm"),      QStringLiteral("Titre"),
                                QStringLiteral("Durée"),       QStringLiteral("Genre"),
                                QStringLiteral("Pays"),        QStringLiteral("Date"),
                                QStringLiteral("Réalisateur"), QStringLiteral("Acteurs")};
    QStringList f;
    // The key first, then the title, then the other fields; the key's own field is not repeated.
    const int avantTitre = cle == Duree ? Duree_ : cle == Date ? Date_ : -1;
    QVarLengthArray<int, 4> milieu;
    for (const int champ : {Duree_, Genre_, Pays, Date_}) {
        if (champ != avantTitre && !(cle == Genre && champ == Genre_))
            milieu.append(champ);
    }
    Redaction r(*apercu->TxtApercu->document(), DataFilm.RecordCount());
    titre(r, cle);
    for (int n = 0; cle == Genre ? n < ordre.size() : !DataFilm.Eof(); ++n) {
        if (cle == Genre && !DataFilm.setBookmark(ordre[n]))
            return abandonner(DataFilm);
        if (!DataFilm.TextesCourants(champs, f))
            return abandonner(DataFilm);
        // Films without a genre have a header of their own, rather than passing for the previous one.
        if (cle == Genre && (n == 0 || groupeDe[n] != groupeDe[n - 1])) {
            const QString g = f[Genre_].trimmed();
            r.entree();
            r.gras(true);
            r.taille(12);
            r.souligne(true);
            r.ecrire(RC + (g.isEmpty() ? QStringLiteral("INDÉFINI") : g.toUpper()) + RC + RC);
            r.gras(false);
            r.taille(10);
            r.souligne(false);
        }
        r.entree();
        r.taille(10);
        r.gras(true);
        r.italique(true);
        if (avantTitre >= 0) {
            r.ecrire(f[avantTitre]);
            r.ecrire(TAB);
        } else if (cle == Genre) {
            r.ecrire(TAB);
        }
        r.ecrire(f[Titre_]);
        r.ecrire(espacesDe(5));
        r.gras(false);
        r.italique(false);
        for (qsizetype i = 0; i < milieu.size(); ++i) {
            r.ecrire(f[milieu[i]]);
            r.ecrire(espacesDe(i + 1 < milieu.size() ? 2 : 7));
        }
        r.taille(8);
        r.gras(true);
        r.souligne(true);
        r.ecrire(u"K7 N°");
        r.ecrire(cassettes.value(f[IdFilm].toLongLong()));
        r.gras(false);
        r.souligne(false);
        realisation(r, f[Realisateur], f[Acteurs]);
        if (cle != Genre)
            DataFilm.MoveNext();
    }
    std::unique_ptr<QTextDocument> document = r.document();
    lecture.valider();
    montrer(apercu->TxtApercu, std::move(document));
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
    // The placements are read in one pass over their table, rather than by a query per cassette,
    // and the films found by their number in one record set, rather than by a query each: its
    // rows are read as the list comes to them, while the document is written.
    DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film"));
    if (!DataFilm.Refresh())
        return abandonner(DataFilm);
    const Catalogue::GrandCache cache(DataFilm.RecordCount()); // films sought in tape order
    QHash<qint64, std::vector<Place>> places;
    if (!parcourirPlacements([&] {
            const QVariant idK7 = DataFilmK7.Fields(QStringLiteral("IdK7"));
            const QVariant idFilm = DataFilmK7.Fields(QStringLiteral("IdFilm"));
            if (!idK7.isNull() && !idFilm.isNull())
                places[idK7.toLongLong()].push_back(
                    {DataFilmK7.Fields(QStringLiteral("Position")), idFilm.toLongLong()});
        }))
        return abandonner(DataFilmK7);
    // In tape order, a position's films in the table's order, as the index by cassette gives them.
    for (auto& cassette : places)
        std::stable_sort(cassette.begin(), cassette.end(), avant);
    QStringList textes;
    Redaction r(*apercu->TxtApercu->document(), DataFilm.RecordCount());
    titre(r, cle);
    bool dejaUnTemps = false;
    int temps = 0;
    for (; !DataK7.Eof(); DataK7.MoveNext()) {
        if (!DataK7.Lisible())
            return abandonner(DataK7);
        const QString idK7 = DataK7.Texte(QStringLiteral("IdK7"));
        r.entree();
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
        const auto films = places.constFind(DataK7.Fields(QStringLiteral("IdK7")).toLongLong());
        if (films == places.cend())
            continue;
        for (const Place& p : *films) {
            // A placement whose film is gone (a damaged catalogue) has nothing to show.
            if (!DataFilm.setBookmark(p.film))
                continue;
            if (!DataFilm.TextesCourants(ChampsFilmCassette, textes))
                return abandonner(DataFilm);
            ligneFilmCassette(r, textes);
        }
    }
    std::unique_ptr<QTextDocument> document = r.document();
    lecture.valider();
    montrer(apercu->TxtApercu, std::move(document));
    Appli::defaut();
    apercu->ShowModal(this);
    m_apercu = nullptr;
}
