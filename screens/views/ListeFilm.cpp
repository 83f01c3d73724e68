#include "screens/views/ListeFilm.h"

#include "catalogue/Catalogue.h"
#include "screens/common/Appli.h"
#include "screens/common/Grille.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>

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

} // namespace

ListeFilm::ListeFilm(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral(
        "Liste des films - Cliquer sur les rubriques pour classer les films selon votre choix !!"));
    setModal(false);
    TableFilm = new Grille(this);
    TableFilm->setCols(NbColonnes);
    TableFilm->setSelectionParLigne(true);
    TableFilm->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The identifier is for the other screens: no key, scroll or resize brings it into view.
    TableFilm->setColumnHidden(ColonneId, true);
    TableFilm->setColonnesAjustees(true);
    TableFilm->setCouleursListes();
    connect(TableFilm, &Grille::MouseUp, this, &ListeFilm::TableFilm_MouseUp);
    connect(TableFilm, &Grille::SelChange, this, &ListeFilm::TableFilm_SelChange);
    DataFilm.setParent(this);
}

void ListeFilm::Form_Load() {
    SuiviActif = false;
    Appli::Sablier sablier;
    DataFilm.setDatabaseName(QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue));
    if (Moniteur* m = Moniteur::instance()) {
        m->BtnNextFilm->setEnabled(false);
        m->BtnPreviousFilm->setEnabled(false);
    }
    InitialiseTable();
    SuiviActif = true;
}

void ListeFilm::InitialiseTable() {
    Grille& g = *TableFilm;
    const Moniteur* m = Moniteur::instance();
    const qint64 filmCourant = m ? m->DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong() : 0;
    int ligneCourante = 1;
    bool lu = true;
    {
        Grille::Remplissage remplissage(g);
        g.setRows(2);
        for (int c = 0; c < NbColonnes; ++c)
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
        // The filling stops at a film that cannot be read.
        lu = DataFilm.Refresh();
        int r = 1;
        QStringList champs;
        for (const Colonne& c : Colonnes)
            champs << QString::fromUtf8(c.champ);
        while (lu && !DataFilm.Eof()) {
            lu = DataFilm.Lisible();
            if (!lu)
                break;
            QStringList cellules;
            cellules.reserve(NbColonnes);
            for (const QString& champ : std::as_const(champs))
                cellules << DataFilm.Texte(champ);
            if (r == 1) {
                for (int c = 0; c < NbColonnes; ++c)
                    g.setTextMatrix(1, c, cellules[c]);
            } else {
                g.AddItem(cellules);
            }
            if (DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong() == filmCourant)
                ligneCourante = r;
            DataFilm.MoveNext();
            ++r;
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
    setFixedSize(g.width(), g.height());
}

void ListeFilm::selectionnerLigne(int r) {
    Grille& g = *TableFilm;
    g.setRow(r);
    g.setCol(0);
    g.setColSel(g.Cols() - 1);
}

void ListeFilm::SupprimeLigne(int Ligne) {
    Grille& g = *TableFilm;
    if (g.Rows() <= 2)
        return;
    g.RemoveItem(Ligne);
    dimensionner();
    if (Ligne > g.Rows() - 1)
        Ligne = g.Rows() - 1;
    selectionnerLigne(Ligne);
}

void ListeFilm::TableFilm_MouseUp() {
    Grille& g = *TableFilm;
    if (g.MouseRow() != 0)
        return;
    SuiviActif = false;
    TrieColonne(g, g.MouseCol(), 1, g.Rows() - 1);
    selectionnerLigne(1);
    SuiviActif = true;
    TableFilm_SelChange();
}

void ListeFilm::TableFilm_SelChange() {
    if (!SuiviActif)
        return;
    Moniteur* m = Moniteur::instance();
    if (!m)
        return;
    const QString id = TableFilm->TextMatrix(TableFilm->Row(), ColonneId);
    if (id.isEmpty())
        return;
    m->DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film WHERE IDFilm = ") +
                                QString::number(id.toLongLong()));
    if (!m->DataFilm.Refresh())
        m->signalerLectureImpossible(m->DataFilm);
    m->AfficheAffiche();
    m->AfficheInfosK7();
}

void ListeFilm::Form_Unload() {
    Moniteur* m = Moniteur::instance();
    if (!m)
        return;
    m->ListeOuverte = false;
    if (m->FilmPresent && !m_illisible) {
        Appli::Sablier sablier;
        m->MetAJourMoniteur(TableFilm->TextMatrix(TableFilm->Row(), ColonneId).toLongLong());
        m->AfficheInfosK7();
    }
    m->BtnNextFilm->setEnabled(true);
    m->BtnPreviousFilm->setEnabled(true);
}
