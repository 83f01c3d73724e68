#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QTableView>
#include <QVector>

#include <algorithm>

class Grille;

// The cells of one grid row, one after the other in a single string, after a head giving the
// number of cells and where each ends. One allocation per row instead of one per cell and one
// for the list: a list of a hundred thousand films takes less than half the memory, and fills
// faster. A cell written later beyond the others (the film list's search keys) is kept apart,
// so that writing it does not write the row again. Cells past the last are empty.
class LigneGrille {
public:
    LigneGrille() = default;
    explicit LigneGrille(const QStringList& cellules, qsizetype nombre = -1);
    qsizetype size() const { return std::max(tete(), m_indiceSuite + 1); }
    QStringView at(qsizetype c) const;
    void set(qsizetype c, QStringView texte);
    // Keeps the first n cells at most.
    void tronquer(qsizetype n);
    QStringList liste() const;
    const QChar* donnees() const { return m_texte.constData(); }

private:
    qsizetype tete() const { return m_texte.isEmpty() ? 0 : m_texte.at(0).unicode(); }
    qsizetype fin(qsizetype c) const;
    QString m_texte;
    QString m_suite;              // the cell kept apart
    qsizetype m_indiceSuite = -1; // its place, or -1
};
Q_DECLARE_TYPEINFO(LigneGrille, Q_RELOCATABLE_TYPE);

// The cells of a grid as plain strings; row 0 is the fixed header, shown as the view's header.
class ModeleGrille : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeleGrille(Grille* grille);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    friend class Grille;
    Grille* m_grille;
};

// A grid of text cells with one fixed header row (row 0), offering what the screens use:
// rows and columns, current cell and selection, cell texts, column widths and alignments, a
// number kept per column, sorting, a free tag, the cell under the mouse. Setting Row, Col or
// ColSel from code raises SelChange and RowColChange, as a click does: screens rely on that.
class Grille : public QTableView {
    Q_OBJECT
public:
    // Sort codes.
    enum {
        TriGeneriqueCroissant = 1,
        TriGeneriqueDecroissant,
        TriNumeriqueCroissant,
        TriNumeriqueDecroissant,
        TriTexteSansCasseCroissant,
        TriTexteSansCasseDecroissant,
        TriTexteCroissant,
        TriTexteDecroissant
    };
    // Alignment codes: left, centre, right (each top, centre, bottom), then general.
    enum {
        GaucheHaut = 0,
        GaucheCentre,
        GaucheBas,
        CentreHaut,
        CentreCentre,
        CentreBas,
        DroiteHaut,
        DroiteCentre,
        DroiteBas,
        General
    };

    explicit Grille(QWidget* parent = nullptr);

    int Rows() const { return int(m_cellules.size()); }
    void setRows(int n);
    int Cols() const { return m_cols; }
    void setCols(int n);

    int Row() const { return m_row; }
    void setRow(int r);
    int Col() const { return m_col; }
    void setCol(int c);
    int RowSel() const { return m_rowSel; }
    void setRowSel(int r);
    int ColSel() const { return m_colSel; }
    void setColSel(int c);

    QString TextMatrix(int r, int c) const;
    // A cell's text without a copy, valid until the grid changes: for loops over every row.
    QStringView Cellule(int r, int c) const;
    void setTextMatrix(int r, int c, const QString& texte);
    // Appends a row (or inserts it at index) from tab-separated cell texts.
    void AddItem(const QString& texte, int index = -1);
    void AddItem(QStringList cellules, int index = -1);
    // Replaces the cells of row r.
    void setLigne(int r, const QStringList& cellules);
    // Replaces every row below the header: a list filled all at once.
    void setLignes(QVector<LigneGrille> lignes);
    void RemoveItem(int r);
    void Clear(); // keeps the header texts' row, empties every cell

    int ColWidth(int c) const; // twips
    void setColWidth(int c, int twips);
    int RowHeight(int r) const;
    void setRowHeight(int r, int twips);
    int ColAlignment(int c) const { return m_alignements.value(c, General); }
    void setColAlignment(int c, int code);
    int ColData(int c) const { return m_donnees.value(c, 0); }
    void setColData(int c, int valeur) { m_donnees[c] = valeur; }
    bool MergeCol(int c) const { return m_fusions.value(c, false); }
    void setMergeCol(int c, bool fusion) { m_fusions[c] = fusion; }
    int CellAlignment() const;
    void setCellAlignment(int code);
    double CellFontSize() const;
    void setCellFontSize(double points);

    // Sorts rows Row..RowSel by column Col with the given code.
    void setSort(int code);
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }

    // Twips geometry of the control.
    void placer(int gauche, int haut, int largeur, int hauteur);

    // Whole-row selection, as the film and cassette lists use.
    void setSelectionParLigne(bool parLigne);
    // The lists' colours: an orange header with dark red text, light yellow selected cells.
    void setCouleursListes();
    // For a grid exactly as wide as its window: the columns always fill its width. A column the
    // user widens or narrows takes from or gives to the last column shown, and none is pushed out
    // of sight. Columns hidden afterwards are not accounted for: hide them first.
    void setColonnesAjustees(bool ajustees);

    // Shows only the rows whose text in the given column holds Motif (an empty one shows all).
    // Rows, Row and TextMatrix keep counting every row; the rows left out are only out of sight,
    // and the filter holds across sorts, additions and removals.
    void setFiltre(int colonne, const QString& motif);
    QString Filtre() const { return m_motif; }
    bool LigneVue(int r) const { return ligneModele(r) >= 0; }
    int NbLignesVues() const;
    // The first row shown at or after r, else the last one before it; 0 when none is shown.
    int LigneVueProche(int r) const;

    // Many cells written at once repaint once.
    class Remplissage {
    public:
        explicit Remplissage(Grille& g);
        ~Remplissage();

    private:
        Grille& m_g;
    };

signals:
    void SelChange();
    void RowColChange();
    // Released over a data cell, or a click on a header section (row 0): pressed and released
    // on the same section, neither on its border nor after resizing a column.
    void MouseUp(Qt::MouseButton bouton);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;
    void currentChanged(const QModelIndex& courant, const QModelIndex& precedent) override;
    void updateGeometries() override;
    bool viewportEvent(QEvent* e) override;

private:
    friend class ModeleGrille;
    void appliquerSelection();
    void changerCellule(int r, int c, bool garderSelection);
    void noterSouris(const QPoint& p);
    int derniereColonneVue() const;
    void ajusterColonnes(int tiree);
    bool filtree() const { return !m_motif.isEmpty(); }
    int ligneModele(int r) const; // -1: not shown
    int ligneGrille(int ligne) const { return filtree() ? m_vues.value(ligne, 0) : ligne + 1; }
    void refiltrer();

    ModeleGrille* m_modele;
    QVector<LigneGrille> m_cellules;
    int m_cols = 2;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    int m_mouseRow = 0;
    int m_mouseCol = 0;
    QString m_tag;
    QHash<int, int> m_alignements;
    QHash<int, int> m_donnees;
    QHash<int, bool> m_fusions;
    QHash<quint64, int> m_alignementsCellules;
    QHash<quint64, double> m_policesCellules;
    bool m_synchro = false;
    int m_remplissages = 0;
    bool m_ajustees = false;
    bool m_ajustement = false;
    bool m_enteteTenu = false; // the mouse button is down on the header
    int m_colonneFiltre = -1;
    QString m_motif;
    QVector<int> m_vues;   // while filtered: the rows shown, in order
    QVector<int> m_places; // while filtered: each row's place among them, or -1
    bool m_filtreAJour = false;
};

// Sorts a column, alternating ascending and descending on repeated use, as a header click does.
void TrieColonne(Grille& Grille, int Colonne, int LigneDebut, int LigneFin);
