#include "screens/common/Grille.h"

#include "catalogue/Outils.h"
#include "catalogue/Rangement.h"
#include "screens/common/Unites.h"

#include <QHeaderView>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

quint64 cle(int r, int c) {
    return (quint64(quint32(r)) << 32) | quint32(c);
}

Qt::Alignment alignementQt(int code) {
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    if (code >= 0 && code <= 8) {
        h = code < 3 ? Qt::AlignLeft : code < 6 ? Qt::AlignHCenter : Qt::AlignRight;
        v = code % 3 == 0 ? Qt::AlignTop : code % 3 == 1 ? Qt::AlignVCenter : Qt::AlignBottom;
    }
    return h | v;
}

// A number written the C way, blanks around it allowed ("nan" is a word: it would not sort).
bool lireNombre(QStringView t, double* v) {
    bool ok = false;
    *v = QLocale::c().toDouble(t.trimmed(), &ok);
    return ok && !std::isnan(*v);
}

// A number as a lenient reader takes it: leading digits, "" and text read 0.
double nombre(QStringView t) {
    double v;
    if (lireNombre(t, &v))
        return v;
    v = t.trimmed().toDouble();
    return std::isnan(v) ? 0 : v;
}

bool estNombre(QStringView t) {
    double v;
    return lireNombre(t, &v);
}

} // namespace

// ---- one row ----

// The head: the number of cells, then for each cell where it ends in the text that follows the
// head, in two characters (a cell may be longer than one character counts).
LigneGrille::LigneGrille(const QStringList& cellules, qsizetype nombre) {
    const qsizetype n = std::min<qsizetype>(nombre < 0 ? cellules.size() : nombre, 0xFFFF);
    qsizetype total = 0;
    for (qsizetype c = 0; c < n && c < cellules.size(); ++c)
        total += cellules[c].size();
    if (total == 0)
        return; // every cell empty: no allocation at all
    m_texte.reserve(1 + 2 * n + total);
    m_texte.append(QChar(char16_t(n)));
    qsizetype fin = 0;
    for (qsizetype c = 0; c < n; ++c) {
        fin += c < cellules.size() ? cellules[c].size() : 0;
        m_texte.append(QChar(char16_t(quint32(fin) >> 16)));
        m_texte.append(QChar(char16_t(quint32(fin) & 0xFFFF)));
    }
    for (qsizetype c = 0; c < n && c < cellules.size(); ++c)
        m_texte.append(cellules[c]);
}

qsizetype LigneGrille::fin(qsizetype c) const {
    const QChar* t = m_texte.constData() + 1 + 2 * c;
    return (qsizetype(t[0].unicode()) << 16) | t[1].unicode();
}

QStringView LigneGrille::at(qsizetype c) const {
    if (c == m_indiceSuite)
        return m_suite;
    const qsizetype n = tete();
    if (c < 0 || c >= n)
        return {};
    const qsizetype debut = c == 0 ? 0 : fin(c - 1);
    return QStringView(m_texte).mid(1 + 2 * n + debut, fin(c) - debut);
}

QStringList LigneGrille::liste() const {
    QStringList l;
    for (qsizetype c = 0; c < size(); ++c)
        l << at(c).toString();
    return l;
}

void LigneGrille::set(qsizetype c, QStringView texte) {
    if (c < 0 || c >= 0xFFFF)
        return;
    if (c == m_indiceSuite || (m_indiceSuite < 0 && c >= tete())) {
        m_indiceSuite = c;
        m_suite = texte.toString();
        return;
    }
    QStringList l = liste();
    while (l.size() <= c)
        l.append(QString());
    l[c] = texte.toString();
    *this = LigneGrille(l);
}

void LigneGrille::tronquer(qsizetype n) {
    if (m_indiceSuite >= n) {
        m_indiceSuite = -1;
        m_suite.clear();
    }
    if (tete() > n)
        m_texte = LigneGrille(liste(), n).m_texte;
}

// ---- model ----

ModeleGrille::ModeleGrille(Grille* grille) : QAbstractTableModel(grille), m_grille(grille) {}

int ModeleGrille::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grille->NbLignesVues();
}

int ModeleGrille::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grille->Cols();
}

QVariant ModeleGrille::data(const QModelIndex& index, int role) const {
    const int r = m_grille->ligneGrille(index.row());
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return m_grille->TextMatrix(r, c);
    case Qt::TextAlignmentRole: {
        const int code = m_grille->m_alignementsCellules.value(cle(r, c), m_grille->ColAlignment(c));
        if (code == Grille::General) {
            // Numbers to the right, text to the left, as a spreadsheet shows them.
            return int((estNombre(m_grille->TextMatrix(r, c)) ? Qt::AlignRight : Qt::AlignLeft) |
                       Qt::AlignVCenter);
        }
        return int(alignementQt(code));
    }
    case Qt::FontRole: {
        const auto it = m_grille->m_policesCellules.constFind(cle(r, c));
        if (it == m_grille->m_policesCellules.constEnd())
            return {};
        QFont f = m_grille->font();
        f.setPointSizeF(*it);
        return f;
    }
    default:
        return {};
    }
}

QVariant ModeleGrille::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_grille->TextMatrix(0, section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---- grid ----

Grille::Grille(QWidget* parent) : QTableView(parent), m_modele(new ModeleGrille(this)) {
    m_cellules.resize(2);
    m_row = m_rowSel = 1;
    setModel(m_modele);
    // The small face lists are shown in, so narrow columns such as a year still read whole.
    setFont(Unites::police(QStringLiteral("Arial"), 8.25));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(Unites::pixels(240));
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->viewport()->installEventFilter(this);
    horizontalHeader()->setMinimumSectionSize(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Nothing is edited in a cell: Tab leaves the grid for the next control instead of trapping
    // the keyboard in it.
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setMouseTracking(true);
    // Only a click is one: the header tells it from a press that starts a resize or a drag.
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int colonne) {
        m_mouseRow = 0;
        m_mouseCol = colonne;
        emit MouseUp(Qt::LeftButton);
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int colonne) {
        // Widths set from code are the screen's own; only a drag is made to fit.
        if (m_ajustees && m_enteteTenu)
            ajusterColonnes(colonne);
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_synchro)
            return;
        // A selection drawn by the user with the mouse or keys.
        const QModelIndexList choix = selectionModel()->selectedIndexes();
        if (choix.isEmpty())
            return;
        int rMax = m_row, cMax = m_col;
        for (const QModelIndex& i : choix) {
            rMax = std::max(rMax, ligneGrille(i.row()));
            cMax = std::max(cMax, i.column());
        }
        if (selectionBehavior() == SelectRows)
            cMax = m_cols - 1;
        // A click already told the new current cell; only a wider selection is news.
        if (rMax == m_rowSel && cMax == m_colSel)
            return;
        m_rowSel = rMax;
        m_colSel = cMax;
        emit SelChange();
    });
}

void Grille::setRows(int n) {
    n = std::max(1, n);
    if (n == Rows())
        return;
    const bool seul = m_remplissages == 0;
    if (seul)
        m_modele->beginResetModel();
    const int avant = Rows();
    m_cellules.resize(n);
    for (int r = avant; r < n; ++r)
        m_cellules[r] = LigneGrille();
    m_row = std::min(m_row, n - 1);
    m_rowSel = std::min(m_rowSel, n - 1);
    if (m_row == 0 && n > 1)
        m_row = m_rowSel = 1;
    if (seul) {
        refiltrer();
        m_modele->endResetModel();
        appliquerSelection();
    }
}

void Grille::setCols(int n) {
    n = std::max(1, n);
    const bool seul = m_remplissages == 0;
    if (seul)
        m_modele->beginResetModel();
    m_cols = n;
    for (LigneGrille& l : m_cellules)
        l.tronquer(n);
    m_col = std::min(m_col, n - 1);
    m_colSel = std::min(m_colSel, n - 1);
    if (seul)
        m_modele->endResetModel();
}

QString Grille::TextMatrix(int r, int c) const {
    if (r < 0 || r >= Rows() || c < 0 || c >= m_cols)
        return {};
    return m_cellules[r].at(c).toString();
}

QStringView Grille::Cellule(int r, int c) const {
    if (r < 0 || r >= Rows() || c < 0 || c >= m_cols)
        return {};
    return m_cellules[r].at(c);
}

void Grille::setTextMatrix(int r, int c, const QString& texte) {
    if (r < 0 || r >= Rows() || c < 0 || c >= m_cols)
        return;
    m_cellules[r].set(c, texte);
    if (m_remplissages > 0)
        return;
    if (r == 0) {
        emit m_modele->headerDataChanged(Qt::Horizontal, c, c);
    } else if (filtree() && c == m_colonneFiltre) {
        // The row may come into sight or leave it.
        Remplissage remplissage(*this);
    } else if (const int m = ligneModele(r); m >= 0) {
        emit m_modele->dataChanged(m_modele->index(m, c), m_modele->index(m, c));
    }
}

void Grille::AddItem(const QString& texte, int index) {
    AddItem(texte.split(QLatin1Char('\t')), index);
}

void Grille::AddItem(QStringList cellules, int index) {
    if (index < 1 || index > Rows())
        index = Rows();
    if (filtree()) {
        // Whether it shows, and where, is the filter's to say.
        Remplissage remplissage(*this);
        m_cellules.insert(index, LigneGrille(cellules, m_cols));
        return;
    }
    if (m_remplissages == 0)
        m_modele->beginInsertRows({}, index - 1, index - 1);
    m_cellules.insert(index, LigneGrille(cellules, m_cols));
    if (m_remplissages == 0)
        m_modele->endInsertRows();
}

void Grille::setLigne(int r, const QStringList& cellules) {
    if (r < 1 || r >= Rows())
        return;
    Remplissage remplissage(*this);
    m_cellules[r] = LigneGrille(cellules, m_cols);
}

void Grille::setLignes(QVector<LigneGrille> lignes) {
    Remplissage remplissage(*this);
    LigneGrille entete = std::move(m_cellules[0]);
    m_cellules = std::move(lignes);
    m_cellules.prepend(std::move(entete));
    for (LigneGrille& l : m_cellules)
        l.tronquer(m_cols);
    if (m_cellules.size() < 2)
        m_cellules.resize(2);
    m_row = std::min(m_row, Rows() - 1);
    m_rowSel = std::min(m_rowSel, Rows() - 1);
}

void Grille::RemoveItem(int r) {
    if (r < 1 || r >= Rows())
        return;
    if (filtree()) {
        Remplissage remplissage(*this);
        m_cellules.remove(r);
    } else {
        if (m_remplissages == 0)
            m_modele->beginRemoveRows({}, r - 1, r - 1);
        m_cellules.remove(r);
        if (m_remplissages == 0)
            m_modele->endRemoveRows();
    }
    m_row = std::min(m_row, Rows() - 1);
    m_rowSel = std::min(m_rowSel, Rows() - 1);
    appliquerSelection();
}

void Grille::Clear() {
    Remplissage r(*this);
    for (LigneGrille& l : m_cellules)
        l = LigneGrille();
}

int Grille::ColWidth(int c) const {
    return Unites::twips(columnWidth(c));
}
void Grille::setColWidth(int c, int t) {
    setColumnWidth(c, Unites::pixels(t));
}

int Grille::RowHeight(int r) const {
    if (r == 0)
        return Unites::twips(horizontalHeader()->height());
    const int m = ligneModele(r);
    return Unites::twips(m >= 0 ? rowHeight(m) : verticalHeader()->defaultSectionSize());
}

void Grille::setRowHeight(int r, int t) {
    if (r == 0)
        horizontalHeader()->setFixedHeight(Unites::pixels(t));
    else if (const int m = ligneModele(r); m >= 0)
        QTableView::setRowHeight(m, Unites::pixels(t));
}

void Grille::setColAlignment(int c, int code) {
    m_alignements[c] = code;
    if (m_remplissages == 0)
        viewport()->update();
}

int Grille::CellAlignment() const {
    return m_alignementsCellules.value(cle(m_row, m_col), ColAlignment(m_col));
}

void Grille::setCellAlignment(int code) {
    m_alignementsCellules[cle(m_row, m_col)] = code;
    viewport()->update();
}

double Grille::CellFontSize() const {
    return m_policesCellules.value(cle(m_row, m_col), font().pointSizeF());
}

void Grille::setCellFontSize(double points) {
    m_policesCellules[cle(m_row, m_col)] = points;
    viewport()->update();
}

void Grille::setSort(int code) {
    const int debut = std::max(1, std::min(m_row, m_rowSel));
    const int fin = std::min(Rows() - 1, std::max(m_row, m_rowSel));
    if (fin <= debut || m_col < 0 || m_col >= m_cols)
        return;
    const int c = m_col;
    const bool decroissant = code % 2 == 0;
    const bool casse = code != TriTexteSansCasseCroissant && code != TriTexteSansCasseDecroissant;
    // Numbers by value, texts by French sort keys computed once per row and sorted in linear
    // time; in a generic sort the numbers come before the texts. Equal values keep their order.
    struct Nombre {
        double valeur;
        int ligne;
    };
    struct Valeurs {
        QVector<Nombre> nombres;
        QVector<Catalogue::CleLigne> textes;
        QByteArray cles;
    };
    const bool numerique = code == TriNumeriqueCroissant || code == TriNumeriqueDecroissant;
    const bool generique = code == TriGeneriqueCroissant || code == TriGeneriqueDecroissant;
    // Reads rows [de, a] into v. Touches nothing but v: two halves of a large grid are read at
    // once, by two threads.
    const auto lire = [&](int de, int a, Valeurs& v) {
        // Room for every row at once: grown step by step, the buffers went through fresh memory
        // again and again (a French key takes about twice its text's length).
        v.textes.reserve(a - de + 1);
        if (!numerique)
            v.cles.reserve(qsizetype(a - de + 1) * 64);
        for (int r = de; r <= a; ++r) {
            // Each row's cells lie in the heap in no order the processor can guess: ask ahead.
            constexpr int Avance = 16;
            if (r + Avance <= a)
                __builtin_prefetch(m_cellules.at(r + Avance).donnees());
            const QStringView x = m_cellules.at(r).at(c);
            double d = 0;
            if (numerique || (generique && lireNombre(x, &d))) {
                v.nombres.append({numerique ? nombre(x) : d, r});
                continue;
            }
            Catalogue::CleLigne l;
            l.debut = quint32(v.cles.size());
            Catalogue::ajouterCleFrancaise(x, casse, &v.cles);
            l.longueur = quint32(v.cles.size() - l.debut);
            l.rowid = r;
            v.textes.append(l);
        }
    };
    Valeurs v;
    if (fin - debut < 20000) {
        lire(debut, fin, v);
    } else {
        // The French keys take most of the time: half of them on another thread.
        const int milieu = debut + (fin - debut) / 2;
        Valeurs suite;
        std::thread autre([&] { lire(milieu + 1, fin, suite); });
        lire(debut, milieu, v);
        autre.join();
        v.nombres += suite.nombres;
        const quint32 decalage = quint32(v.cles.size());
        for (Catalogue::CleLigne& l : suite.textes)
            l.debut += decalage;
        v.textes += suite.textes;
        v.cles += suite.cles;
    }
    QVector<Nombre>& nombres = v.nombres;
    QVector<Catalogue::CleLigne>& textes = v.textes;
    const QByteArray& cles = v.cles;
    Catalogue::trierParCles(textes, cles, decroissant);
    std::stable_sort(nombres.begin(), nombres.end(), [decroissant](const Nombre& a, const Nombre& b) {
        return decroissant ? a.valeur > b.valeur : a.valeur < b.valeur;
    });
    QVector<int> ordre;
    ordre.reserve(fin - debut + 1);
    if (decroissant) {
        for (const Catalogue::CleLigne& l : std::as_const(textes))
            ordre.append(int(l.rowid));
    }
    for (const Nombre& n : std::as_const(nombres))
        ordre.append(n.ligne);
    if (!decroissant) {
        for (const Catalogue::CleLigne& l : std::as_const(textes))
            ordre.append(int(l.rowid));
    }
    m_modele->layoutAboutToBeChanged();
    QVector<LigneGrille> tries;
    tries.reserve(ordre.size());
    for (const int ligne : std::as_const(ordre))
        tries.append(std::move(m_cellules[ligne]));
    std::move(tries.begin(), tries.end(), m_cellules.begin() + debut);
    refiltrer();
    m_modele->layoutChanged();
}

void Grille::placer(int gauche, int haut, int largeur, int hauteur) {
    setGeometry(Unites::pixels(gauche), Unites::pixels(haut), Unites::pixels(largeur),
                Unites::pixels(hauteur));
}

void Grille::setSelectionParLigne(bool parLigne) {
    setSelectionBehavior(parLigne ? SelectRows : SelectItems);
    appliquerSelection();
}

void Grille::setCouleursListes() {
    setStyleSheet(
        QStringLiteral("QHeaderView::section { background: #ff8000; color: #400000; "
                       "border: 1px solid #c06000; padding: 1px; }"
                       "QTableView { selection-background-color: #ffff80; selection-color: #804000; "
                       "gridline-color: #c0c0c0; }"
                       "QTableView::item { padding: 0px 1px; }"));
}

void Grille::setColonnesAjustees(bool ajustees) {
    m_ajustees = ajustees;
    QHeaderView* h = horizontalHeader();
    const int derniere = derniereColonneVue();
    // The last column's right border is the grid's edge: it has nowhere to go.
    for (int c = 0; c < h->count(); ++c)
        h->setSectionResizeMode(c, ajustees && c == derniere ? QHeaderView::Fixed : QHeaderView::Interactive);
    if (ajustees)
        ajusterColonnes(-1);
}

int Grille::derniereColonneVue() const {
    const QHeaderView* h = horizontalHeader();
    for (int v = h->count() - 1; v >= 0; --v) {
        if (!h->isSectionHidden(h->logicalIndex(v)))
            return h->logicalIndex(v);
    }
    return -1;
}

// The last column shown takes what is left of the width; a column dragged wider stops where the
// last one would no longer hold its heading.
void Grille::ajusterColonnes(int tiree) {
    QHeaderView* h = horizontalHeader();
    const int derniere = derniereColonneVue();
    if (m_ajustement || derniere < 0 || tiree == derniere)
        return;
    m_ajustement = true;
    const int largeur = viewport()->width();
    const int minimum = std::min(h->sectionSizeHint(derniere), largeur / 4);
    int autres = 0;
    for (int c = 0; c < h->count(); ++c) {
        if (c != derniere && !h->isSectionHidden(c))
            autres += h->sectionSize(c);
    }
    const int exces = autres + minimum - largeur;
    if (tiree >= 0 && exces > 0) {
        const int avant = h->sectionSize(tiree);
        h->resizeSection(tiree, std::max(h->minimumSectionSize(), avant - exces));
        autres += h->sectionSize(tiree) - avant;
    }
    h->resizeSection(derniere, std::max(minimum, largeur - autres));
    m_ajustement = false;
}

void Grille::updateGeometries() {
    QTableView::updateGeometries();
    if (m_ajustees)
        ajusterColonnes(-1);
}

bool Grille::viewportEvent(QEvent* e) {
    const bool traite = QTableView::viewportEvent(e);
    // A vertical scroll bar coming or going changes the width to fill.
    if (m_ajustees && e->type() == QEvent::Resize)
        ajusterColonnes(-1);
    return traite;
}

// Mirrors Row/Col/RowSel/ColSel in the view without raising the view's own change signals.
void Grille::appliquerSelection() {
    m_synchro = true;
    if (const int m = ligneModele(m_row); m >= 0) {
        const QModelIndex courant = m_modele->index(m, m_col);
        const int r1 = std::max(1, std::min(m_row, m_rowSel)), r2 = std::max(m_row, m_rowSel);
        // The rows shown within r1..r2.
        int m1 = r1 - 1, m2 = r2 - 1;
        if (filtree()) {
            m1 = int(std::lower_bound(m_vues.begin(), m_vues.end(), r1) - m_vues.begin());
            m2 = int(std::upper_bound(m_vues.begin(), m_vues.end(), r2) - m_vues.begin()) - 1;
        }
        const int c1 = selectionBehavior() == SelectRows ? 0 : std::min(m_col, m_colSel);
        const int c2 = selectionBehavior() == SelectRows ? m_cols - 1 : std::max(m_col, m_colSel);
        selectionModel()->setCurrentIndex(courant, QItemSelectionModel::NoUpdate);
        selectionModel()->select(QItemSelection(m_modele->index(m1, c1), m_modele->index(m2, c2)),
                                 QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clear();
    }
    m_synchro = false;
}

void Grille::changerCellule(int r, int c, bool garderSelection) {
    const bool change = r != m_row || c != m_col;
    m_row = r;
    m_col = c;
    if (!garderSelection) {
        m_rowSel = r;
        m_colSel = c;
    }
    appliquerSelection();
    if (change)
        emit RowColChange();
    emit SelChange();
}

void Grille::setRow(int r) {
    if (r < 0 || r >= Rows())
        return;
    changerCellule(r, m_col, false);
    if (const int m = ligneModele(r); m >= 0)
        scrollTo(m_modele->index(m, m_col));
}

void Grille::setCol(int c) {
    if (c < 0 || c >= m_cols)
        return;
    changerCellule(m_row, c, false);
}

void Grille::setRowSel(int r) {
    if (r < 0 || r >= Rows())
        return;
    m_rowSel = r;
    appliquerSelection();
    emit SelChange();
}

void Grille::setColSel(int c) {
    if (c < 0 || c >= m_cols)
        return;
    m_colSel = c;
    appliquerSelection();
    emit SelChange();
}

// The user moved the current cell (click, arrows).
void Grille::currentChanged(const QModelIndex& courant, const QModelIndex& precedent) {
    QTableView::currentChanged(courant, precedent);
    if (m_synchro || !courant.isValid())
        return;
    // The view draws its own selection here; only the grid's figures follow.
    const int r = ligneGrille(courant.row());
    const int c = courant.column();
    const bool change = r != m_row || c != m_col;
    m_row = m_rowSel = r;
    m_col = c;
    m_colSel = selectionBehavior() == SelectRows ? m_cols - 1 : c;
    if (change)
        emit RowColChange();
    emit SelChange();
}

void Grille::noterSouris(const QPoint& p) {
    const QModelIndex i = indexAt(p);
    m_mouseRow = i.isValid() ? ligneGrille(i.row()) : 0;
    m_mouseCol = i.isValid() ? i.column() : std::max(0, columnAt(p.x()));
}

void Grille::mousePressEvent(QMouseEvent* e) {
    noterSouris(e->position().toPoint());
    QTableView::mousePressEvent(e);
}

void Grille::mouseMoveEvent(QMouseEvent* e) {
    noterSouris(e->position().toPoint());
    QTableView::mouseMoveEvent(e);
}

void Grille::mouseReleaseEvent(QMouseEvent* e) {
    noterSouris(e->position().toPoint());
    QTableView::mouseReleaseEvent(e);
    emit MouseUp(e->button());
}

// The mouse over the header is over row 0; its clicks come through sectionClicked.
bool Grille::eventFilter(QObject* objet, QEvent* e) {
    if (objet == horizontalHeader()->viewport()) {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove ||
            e->type() == QEvent::MouseButtonRelease) {
            const auto* souris = static_cast<QMouseEvent*>(e);
            m_mouseRow = 0;
            m_mouseCol = std::max(0, horizontalHeader()->logicalIndexAt(souris->position().toPoint()));
            if (e->type() != QEvent::MouseMove)
                m_enteteTenu = souris->buttons() != Qt::NoButton;
        }
    }
    return QTableView::eventFilter(objet, e);
}

Grille::Remplissage::Remplissage(Grille& g) : m_g(g) {
    if (m_g.m_remplissages++ == 0)
        m_g.m_modele->beginResetModel();
}

Grille::Remplissage::~Remplissage() {
    if (--m_g.m_remplissages == 0) {
        m_g.refiltrer();
        m_g.m_modele->endResetModel();
        m_g.appliquerSelection();
    }
}

// ---- filter ----

void Grille::setFiltre(int colonne, const QString& motif) {
    if (colonne == m_colonneFiltre && motif == m_motif)
        return;
    // A longer pattern only narrows what shows: the rows shown are all there is to look at.
    const bool restreint =
        m_remplissages == 0 && filtree() && colonne == m_colonneFiltre && motif.contains(m_motif);
    Remplissage remplissage(*this);
    m_colonneFiltre = colonne;
    m_motif = motif;
    if (restreint) {
        QVector<int> vues;
        vues.reserve(m_vues.size());
        for (const int r : std::as_const(m_vues)) {
            if (m_cellules.at(r).at(colonne).contains(m_motif))
                vues.append(r);
        }
        m_vues = std::move(vues);
        m_places.fill(-1);
        for (int i = 0; i < m_vues.size(); ++i)
            m_places[m_vues[i]] = i;
        m_filtreAJour = true; // the end of the filling need not look at every row again
    }
}

void Grille::refiltrer() {
    if (m_filtreAJour) {
        m_filtreAJour = false;
        return;
    }
    m_vues.clear();
    m_places.clear();
    if (!filtree())
        return;
    m_places.fill(-1, Rows());
    for (int r = 1; r < Rows(); ++r) {
        if (m_cellules.at(r).at(m_colonneFiltre).contains(m_motif)) {
            m_places[r] = int(m_vues.size());
            m_vues.append(r);
        }
    }
}

int Grille::ligneModele(int r) const {
    if (r < 1 || r >= Rows())
        return -1;
    return filtree() ? m_places.value(r, -1) : r - 1;
}

int Grille::NbLignesVues() const {
    return filtree() ? int(m_vues.size()) : std::max(0, Rows() - 1);
}

int Grille::LigneVueProche(int r) const {
    if (!filtree())
        return Rows() < 2 ? 0 : std::clamp(r, 1, Rows() - 1);
    const auto i = std::lower_bound(m_vues.begin(), m_vues.end(), r);
    if (i != m_vues.end())
        return *i;
    return m_vues.isEmpty() ? 0 : m_vues.last();
}

void TrieColonne(Grille& Grille, int Colonne, int LigneDebut, int LigneFin) {
    const bool numerique = Grille.ColData(Colonne) == 1;
    const int croissant = numerique ? Grille::TriNumeriqueCroissant : Grille::TriTexteCroissant;
    const int decroissant = numerique ? Grille::TriNumeriqueDecroissant : Grille::TriTexteDecroissant;
    const QString prefixe = QStringLiteral("TRI/%1").arg(Colonne, 3, 10, QLatin1Char('0'));
    int ordre = croissant;
    if (Grille.Tag().left(7) == prefixe &&
        Outils::ExtraitElement(Grille.Tag(), 3, QStringLiteral("/")).trimmed().toInt() == croissant)
        ordre = decroissant;
    // The order is written with a leading blank, as a number-to-text conversion writes it.
    Grille.setTag(prefixe + QStringLiteral("/ %1").arg(ordre));
    Grille.setCol(Colonne);
    Grille.setColSel(Colonne);
    Grille.setRow(LigneDebut);
    Grille.setRowSel(LigneFin);
    Grille.setSort(ordre);
}
