#include "screens/views/ListeFilm.h"

#include "catalogue/Outils.h"
#include "catalogue/Rangement.h"
#include "screens/common/Appli.h"
#include "screens/common/Grille.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

struct Colonne {
    const char* entete;
    const char* champ;
    int largeur;
};

const Colonne Colonnes[] = {
    {"Titre", "Titre", 2500},     {"Réalisateur", "Réalisateur", 1800},
    {"Acteurs", "Acteurs", 2000}, {"Durée", "Durée", 1000},
    {"Date", "Date", 500},        {"Genre", "Genre", 1600},
    {"Pays", "Pays", 1400},       {"IDFilm", "IdFilm", 500},
};
constexpr int NbColonnes = 8;
constexpr int ColonneId = 7;
// Hidden after the identifier: the searched fields folded once, so that a keystroke only compares.
// They are folded at the first search, not when the list opens: most openings never search.
constexpr int ColonneCle = 8;
// Between the fields in the key: no typed text holds it, so no match spans two fields.
constexpr QChar SeparateurCle(0x1F);

QString cleDeRecherche(QStringView titre, QStringView realisateur, QStringView acteurs) {
    QString cle;
    cle.reserve(titre.size() + realisateur.size() + acteurs.size() + 2);
    Outils::AjouteReplie(titre, &cle);
    cle += SeparateurCle;
    Outils::AjouteReplie(realisateur, &cle);
    cle += SeparateurCle;
    Outils::AjouteReplie(acteurs, &cle);
    return cle;
}
constexpr int HauteurBandeau = 30; // pixels above the grid, for the search field

} // namespace

ListeFilm::ListeFilm(const QString& catalogue, std::function<qint64()> filmMontre, QWidget* parent)
    : Feuille(parent), m_catalogue(catalogue), m_filmMontre(std::move(filmMontre)) {
    setWindowTitle(QStringLiteral(
        "Liste des films - Cliquer sur les rubriques pour classer les films selon votre choix !!"));
    setModal(false);
    TableFilm = new Grille(this);
    TableFilm->setCols(NbColonnes + 1);
    TableFilm->setSelectionParLigne(true);
    TableFilm->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The identifier is for the other screens: no key, scroll or resize brings it into view.
    TableFilm->setColumnHidden(ColonneId, true);
    TableFilm->setColumnHidden(ColonneCle, true);
    TableFilm->setColonnesAjustees(true);
    TableFilm->setCouleursListes();
    connect(TableFilm, &Grille::MouseUp, this, &ListeFilm::TableFilm_MouseUp);
    connect(TableFilm, &Grille::SelChange, this, &ListeFilm::TableFilm_SelChange);
    // Made after the grid, which keeps the keyboard when the list opens.
    LblRecherche = new QLabel(QStringLiteral("Rechercher :"), this);
    TxtRecherche = new QLineEdit(this);
    TxtRecherche->setClearButtonEnabled(true);
    LblRecherche->setBuddy(TxtRecherche);
    LblRecherche->adjustSize();
    LblRecherche->move(8, (HauteurBandeau - LblRecherche->height()) / 2);
    TxtRecherche->setGeometry(LblRecherche->geometry().right() + 6, 4, 300, HauteurBandeau - 8);
    TxtRecherche->installEventFilter(this);
    connect(TxtRecherche, &QLineEdit::textChanged, this, &ListeFilm::TxtRecherche_Change);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &ListeFilm::Rechercher);
    DataFilm.setParent(this);
}

void ListeFilm::Form_Load() {
    SuiviActif = false;
    Appli::Sablier sablier;
    DataFilm.setDatabaseName(m_catalogue);
    InitialiseTable();
    SuiviActif = true;
}

void ListeFilm::InitialiseTable() {
    Grille& g = *TableFilm;
    const qint64 filmCourant = m_filmMontre ? m_filmMontre() : 0;
    int ligneCourante = 1;
    bool lu = true;
    {
        Grille::Remplissage remplissage(g);
        m_clesPretes = !TxtRecherche->text().isEmpty();
        g.setRows(2);
        for (int c = 0; c < g.Cols(); ++c)
            g.setTextMatrix(1, c, QString());
        // The rows come back in title order: the next header click starts a fresh sort.
        g.setTag(QString());
        for (int i = 0; i < NbColonnes; ++i) {
            g.setMergeCol(i, true);
            g.setTextMatrix(0, i, QString::fromUtf8(Colonnes[i].entete));
            g.setColWidth(i, Colonnes[i].largeur);
            g.setColData(i, i == 4 ? 1 : 0);
            g.setColAlignment(i, i <= 2 ? Grille::GaucheCentre : Grille::CentreCentre);
        }
        DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film ORDER BY Titre"));
        // A film that cannot be read stops the filling.
        QStringList champs;
        for (const Colonne& c : Colonnes)
            champs << QString::fromUtf8(c.champ);
        const QString courant = QString::number(filmCourant);
        lu = DataFilm.Refresh();
        if (lu) {
            // Read by two threads at once on a large catalogue: each writes only its own rows.
            QVector<LigneGrille> lignes(DataFilm.RecordCount());
            LigneGrille* const l = lignes.data();
            std::atomic<int> ligneDuCourant{0};
            const bool cles = m_clesPretes;
            lu = DataFilm.Textes(
                champs,
                [&](int rang, QStringList& cellules) {
                    if (cellules[ColonneId] == courant)
                        ligneDuCourant = rang + 1;
                    // Rebuilt while a search is on, the keys are wanted at once.
                    if (cles)
                        cellules << cleDeRecherche(cellules[0], cellules[1], cellules[2]);
                    l[rang] = LigneGrille(cellules);
                },
                true);
            g.setLignes(std::move(lignes));
            if (ligneDuCourant > 0)
                ligneCourante = ligneDuCourant;
        }
        if (lu) { // the list keeps its own texts: the record set's rows are not needed any more
            DataFilm.setRecordSource(QString());
            DataFilm.Refresh();
        }
    }
    if (!lu) {
        // Some films, or none, would pass for the whole catalogue: the list closes once the user
        // is told, and the main window stays on the film it shows.
        Messages::lectureImpossible(DataFilm);
        m_illisible = true;
        Unload();
        return;
    }
    g.horizontalHeader()->setFont(Unites::police(QStringLiteral("Arial"), 10));
    dimensionner();
    selectionnerLigne(ligneCourante);
}

void ListeFilm::MetAJourFilm(qint64 IdFilm) {
    Grille& g = *TableFilm;
    const QString id = QString::number(IdFilm);
    // Sorted by a header click since it was filled, the list goes back to title order as a new
    // filling puts it; with no film yet, its one row is a blank one.
    if (!g.Tag().isEmpty() || g.Cellule(1, ColonneId).isEmpty()) {
        InitialiseTable();
        return;
    }
    QStringList champs;
    for (const Colonne& c : Colonnes)
        champs << QString::fromUtf8(c.champ);
    QStringList cellules;
    DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film WHERE IdFilm = ") + id);
    const bool lu = DataFilm.Refresh() && DataFilm.Textes(champs, [&](int, QStringList& t) { cellules = t; });
    DataFilm.setRecordSource(QString());
    DataFilm.Refresh();
    const QByteArray cle = cellules.isEmpty() ? QByteArray() : Catalogue::cleDOrdre(cellules[0]);
    // A film without a title or a key sorts as the engine says: a new filling asks it.
    if (!lu || cle.isEmpty() || cellules[0].isEmpty()) {
        InitialiseTable();
        return;
    }
    // Where a filling would put it: by the key of its title, then by its number.
    const auto avant = [&](int r) {
        const QByteArray k = Catalogue::cleDOrdre(g.Cellule(r, 0).toString());
        const int c = std::memcmp(k.constData(), cle.constData(), std::min(k.size(), cle.size()));
        if (c != 0)
            return c < 0;
        if (k.size() != cle.size())
            return k.size() < cle.size();
        return g.Cellule(r, ColonneId).toLongLong() < IdFilm;
    };
    int r = 0;
    {
        Grille::Remplissage remplissage(g);
        if (const int ancienne = ligneDuFilm(id))
            g.RemoveItem(ancienne);
        int bas = 1, haut = g.Rows(); // the place lies in [bas, haut]
        while (bas < haut) {
            const int milieu = bas + (haut - bas) / 2;
            if (avant(milieu))
                bas = milieu + 1;
            else
                haut = milieu;
        }
        r = bas;
        if (m_clesPretes)
            cellules << cleDeRecherche(cellules[0], cellules[1], cellules[2]);
        g.AddItem(cellules, r);
    }
    dimensionner();
    selectionnerLigne(r);
}

// The grid shows nine films at most and scrolls the rest; the window fits the grid.
void ListeFilm::dimensionner() {
    Grille& g = *TableFilm;
    int largeur = 0;
    for (int i = 0; i < NbColonnes - 1; ++i)
        largeur += g.ColWidth(i);
    const int rh0 = g.RowHeight(0);
    const int rh1 = g.Rows() > 1 ? g.RowHeight(1) : 240;
    const bool defile = g.Rows() > 10;
    const int hauteur = (defile ? 9 : g.Rows() - 1) * rh1 + rh0 + 10 + 30;
    const int barre = defile ? Unites::twips(g.verticalScrollBar()->sizeHint().width()) : 0;
    g.placer(0, 0, largeur + barre + 30, hauteur);
    g.move(0, HauteurBandeau);
    setFixedSize(g.width(), HauteurBandeau + g.height());
}

void ListeFilm::selectionnerLigne(int r) {
    Grille& g = *TableFilm;
    g.setRow(r);
    g.setCol(0);
    g.setColSel(g.Cols() - 1);
}

int ListeFilm::ligneDuFilm(const QString& id) const {
    for (int r = 1; r < TableFilm->Rows(); ++r) {
        if (TableFilm->Cellule(r, ColonneId) == id)
            return r;
    }
    return 0;
}

void ListeFilm::Rechercher() {
    activateWindow();
    raise();
    TxtRecherche->setFocus(Qt::ShortcutFocusReason);
    TxtRecherche->selectAll();
}

void ListeFilm::TxtRecherche_Change() {
    Grille& g = *TableFilm;
    if (!m_clesPretes) {
        Grille::Remplissage remplissage(g);
        for (int r = 1; r < g.Rows(); ++r)
            g.setTextMatrix(r, ColonneCle, cleDeRecherche(g.Cellule(r, 0), g.Cellule(r, 1), g.Cellule(r, 2)));
        m_clesPretes = true;
    }
    g.setFiltre(ColonneCle, Outils::Replie(TxtRecherche->text()));
    // A film still in sight stays the one shown; otherwise the first one in sight is, and the main
    // window follows it. With none in sight, the main window keeps its film.
    if (g.LigneVue(g.Row()))
        return;
    if (const int r = g.LigneVueProche(1))
        selectionnerLigne(r);
}

// Escape empties the field first; on an empty field it does what it does in the window. The arrows
// move in the grid, so that a film is chosen without leaving the field.
bool ListeFilm::eventFilter(QObject* objet, QEvent* e) {
    if (objet == TxtRecherche && e->type() == QEvent::KeyPress) {
        auto* touche = static_cast<QKeyEvent*>(e);
        switch (touche->key()) {
        case Qt::Key_Escape:
            if (TxtRecherche->text().isEmpty())
                break;
            TxtRecherche->clear();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(TableFilm, touche);
            return true;
        default:
            break;
        }
    }
    return Feuille::eventFilter(objet, e);
}

void ListeFilm::SupprimeLigne(int Ligne) {
    Grille& g = *TableFilm;
    if (g.Rows() <= 2)
        return;
    g.RemoveItem(Ligne);
    dimensionner();
    if (Ligne > g.Rows() - 1)
        Ligne = g.Rows() - 1;
    // The next film in sight; with none, the row stays the main window's film, out of sight.
    if (const int r = g.LigneVueProche(Ligne))
        Ligne = r;
    selectionnerLigne(Ligne);
}

void ListeFilm::TableFilm_MouseUp() {
    Grille& g = *TableFilm;
    if (g.MouseRow() != 0)
        return;
    SuiviActif = false;
    const QString courant = g.TextMatrix(g.Row(), ColonneId);
    TrieColonne(g, g.MouseCol(), 1, g.Rows() - 1);
    if (const int r = g.LigneVueProche(1)) {
        selectionnerLigne(r);
    } else {
        // Nothing in sight to show: the row follows the main window's film through the sort.
        selectionnerLigne(std::max(1, ligneDuFilm(courant)));
        SuiviActif = true;
        return;
    }
    SuiviActif = true;
    TableFilm_SelChange();
}

void ListeFilm::TableFilm_SelChange() {
    if (!SuiviActif)
        return;
    const QString id = TableFilm->TextMatrix(TableFilm->Row(), ColonneId);
    if (!id.isEmpty())
        emit filmChoisi(id.toLongLong());
}

void ListeFilm::Form_Unload() {
    emit fermee(TableFilm->TextMatrix(TableFilm->Row(), ColonneId).toLongLong(), !m_illisible);
}
