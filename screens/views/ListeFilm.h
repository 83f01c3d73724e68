#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

#include <functional>

class Grille;
class QLabel;
class QLineEdit;

// Every film in a grid beside the main window, sortable by a click on any column header.
// Selecting a row shows that film in the main window. A search field above the grid keeps in sight
// the films whose title, director or actors hold what is typed, whatever the case and accents.
// The list knows nothing of the window it follows: it says what the user chose through its signals.
class ListeFilm : public Feuille {
    Q_OBJECT
public:
    // The catalogue file to list, and what gives the film shown beside the list (0 for none): its
    // row is the one selected when the list is filled.
    ListeFilm(const QString& catalogue, std::function<qint64()> filmMontre, QWidget* parent = nullptr);
    static ListeFilm* instance() { return chargee<ListeFilm>(); }

    QLabel* LblRecherche;
    QLineEdit* TxtRecherche;
    Grille* TableFilm;
    SourceDonnees DataFilm;
    // While set, a change of selection is told through filmChoisi.
    bool SuiviActif = false;

    void InitialiseTable();
    // A film added or changed: its row alone is written again, where a new filling would put it,
    // and becomes the selected row. The list is filled again when it is not in title order.
    void MetAJourFilm(qint64 IdFilm);
    void SupprimeLigne(int Ligne);
    // Puts the keyboard in the search field, its text selected.
    void Rechercher();

signals:
    // The user selected this film's row: the film to show.
    void filmChoisi(qint64 IdFilm);
    // The list closes on this film's row; lue is false when the list closed because it could not
    // read the catalogue whole, and then its row means nothing.
    void fermee(qint64 IdFilm, bool lue);

public slots:
    void TableFilm_MouseUp();
    void TableFilm_SelChange();
    void TxtRecherche_Change();

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    void dimensionner();
    void selectionnerLigne(int r);
    int ligneDuFilm(const QString& id) const;
    QString m_catalogue;
    std::function<qint64()> m_filmMontre;
    bool m_clesPretes = false; // the search keys are in the grid
    bool m_illisible = false;  // the catalogue could not be read whole: the list closed
};
