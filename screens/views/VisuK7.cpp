#include "screens/views/VisuK7.h"

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Grille.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/main/Moniteur.h"
#include "screens/views/ListeFilm.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTimer>

using Unites::pixels;
using Unites::police;

namespace {
constexpr int LargeurBarre = 3885;

// The rows of an open film list that show these films, from the bottom up, in one pass over the
// list (a search of the whole list per film cost ten passes for a cassette of ten films).
QVector<int> lignesDesFilms(const Grille& g, const QList<qint64>& films) {
    const QSet<qint64> cherches(films.begin(), films.end());
    QVector<int> lignes;
    for (int r = g.Rows() - 1; r >= 1 && lignes.size() < cherches.size(); --r) {
        if (cherches.contains(g.Cellule(r, 7).toLongLong()))
            lignes << r;
    }
    return lignes;
}

// The row of an open film list that shows this film; Rows() when it has none.
int ligneDuFilm(const Grille& g, qint64 idFilm) {
    const QVector<int> r = lignesDesFilms(g, {idFilm});
    return r.isEmpty() ? g.Rows() : r.first();
}
} // namespace

VisuK7::VisuK7(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Cassetron"));
    setTailleInterieure(5400, 5460);
    Label1 = Etiquette::creer(this, QStringLiteral("Sélectionner une Cassette"), 240, 240, 2400, 300,
                              police(QStringLiteral("Arial"), 9, true));
    ComboK7 = new QComboBox(this);
    ComboK7->setGeometry(pixels(2760), pixels(180), pixels(1200), pixels(390));
    ComboK7->setEditable(false);

    FrmInfosK7 = new QFrame(this);
    FrmInfosK7->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FrmInfosK7->setGeometry(pixels(240), pixels(780), pixels(4920), pixels(2160));
    lblNumK7 = creerNumeroK7(FrmInfosK7, 120, 300);
    const QFont petit = police(QStringLiteral("Arial"), 8.25, true);
    const QFont chiffres = police(QStringLiteral("Arial"), 10, true);
    Label3 = Etiquette::creer(FrmInfosK7, QStringLiteral("Durée"), 1260, 120, 1125, 240, petit);
    LblDureeK7 = Etiquette::creer(FrmInfosK7, QString(), 1260, 360, 1125, 330, chiffres);
    Label4 = Etiquette::creer(FrmInfosK7, QStringLiteral("Temps restant"), 2580, 120, 1125, 240, petit);
    LblTempsRestant = Etiquette::creer(FrmInfosK7, QString(), 2580, 360, 1125, 330, chiffres);
    for (Etiquette* e : {Label3, LblDureeK7, Label4, LblTempsRestant}) {
        e->setBackColor(Unites::Noir);
        e->setAlignment(Qt::AlignCenter);
    }
    Label3->setForeColor(65280);
    LblDureeK7->setForeColor(65280);
    Label4->setForeColor(16777088);
    LblTempsRestant->setForeColor(16777088);
    preparerBarre(FrmInfosK7, 510, 1230, LargeurBarre);

    LstBande = new QListWidget(this);
    LstBande->setGeometry(pixels(240), pixels(3060), pixels(4920), pixels(1500));
    LstBande->setFont(police(QStringLiteral("Arial"), 9));
    LstBande->setSelectionMode(QAbstractItemView::NoSelection);
    LstBande->setFocusPolicy(Qt::NoFocus);
    LstBande->setToolTip(QStringLiteral("Où commence chaque film sur la bande"));

    BtnEffacerK7 = boutonOrange(this, QStringLiteral("Effacer"));
    BtnEffacerK7->setGeometry(pixels(600), pixels(4740), pixels(1680), pixels(450));
    BtnValiderK7 = boutonOrange(this, QStringLiteral("Ok"));
    BtnValiderK7->setGeometry(pixels(3120), pixels(4740), pixels(1680), pixels(450));
    BtnValiderK7->setDefault(true);
    lettreAcces(BtnEffacerK7, 'E');
    lettreAcces(BtnValiderK7, 'O');
    ordreTabulation({ComboK7, BtnEffacerK7, BtnValiderK7});
    ComboK7->setFocus();

    TimerChange = new QTimer(this);
    TimerChange->setInterval(100);
    connect(TimerChange, &QTimer::timeout, this, &VisuK7::TimerChange_Timer);
    connect(ComboK7, &QComboBox::currentIndexChanged, this, &VisuK7::ComboK7_Click);
    connect(BtnEffacerK7, &QPushButton::clicked, this, &VisuK7::BtnEffacerK7_Click);
    connect(BtnValiderK7, &QPushButton::clicked, this, &VisuK7::BtnValiderK7_Click);
}

void VisuK7::Form_Load() {
    const QString catalogue = QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue);
    for (SourceDonnees* s : {&DataFilm, &DataFilmK7, &DataK7})
        s->setDatabaseName(catalogue);
    const Moniteur* m = Moniteur::instance();
    const QString courante = m ? m->lblNumK7->text() : QString();
    DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7"));
    if (!DataK7.Refresh()) {
        Messages::lectureImpossible(DataK7);
        Unload();
        return;
    }
    int index = 0;
    bool illisible = false;
    {
        const QSignalBlocker silence(ComboK7); // filling the list is not a choice of the user
        for (; !DataK7.Eof(); DataK7.MoveNext()) {
            // An unreadable cassette would be an empty entry showing blank figures: it is left
            // out, and the user told once.
            if (!DataK7.Lisible()) {
                if (!illisible)
                    Messages::lectureImpossible(DataK7);
                illisible = true;
                continue;
            }
            const QString id = DataK7.Texte(QStringLiteral("IdK7"));
            ComboK7->addItem(id);
            if (id == courante)
                index = ComboK7->count() - 1;
        }
    }
    IndexAffiche = index; // already shown below: no deferred refresh for it
    ComboK7->setCurrentIndex(index);
    afficher();
}

void VisuK7::ComboK7_Click() {
    if (ComboK7->currentIndex() != IndexAffiche)
        TimerChange->start();
}

void VisuK7::afficher() {
    DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7 WHERE IdK7 =") +
                           QString::number(ComboK7->currentText().toLongLong()));
    if (!DataK7.Refresh()) {
        Messages::lectureImpossible(DataK7);
        VideInfosK7();
        return;
    }
    lblNumK7->setText(DataK7.Texte(QStringLiteral("IdK7")));
    LblDureeK7->setText(DataK7.Texte(QStringLiteral("Durée")));
    LblTempsRestant->setText(DataK7.Texte(QStringLiteral("TempsRestant")));
    const QString status = DataK7.Texte(QStringLiteral("Status"));
    Fonctions::DessineCassette(status, DataK7.Texte(QStringLiteral("Durée")), *this, shape(0).Left(),
                               shape(0).Top(), LargeurBarre, shape(0).Height());
    LstBande->clear();
    const QStringList champs = Fonctions::Champs(status);
    for (int i = 0; i < champs.size(); ++i) {
        const QString debut = Outils::SecondesEnHeure(etendues.value(i).debut) + QStringLiteral("    ");
        if (Fonctions::EstFilm(champs[i])) {
            LstBande->addItem(debut + champs[i].mid(12));
        } else {
            auto* libre = new QListWidgetItem(
                debut + QStringLiteral("Libre (%1)")
                            .arg(Outils::DureeEnClair(Fonctions::LongueurChamp(champs[i]))),
                LstBande);
            libre->setForeground(Qt::darkGray);
            QFont f = LstBande->font();
            f.setItalic(true);
            libre->setFont(f);
        }
    }
}

void VisuK7::TimerChange_Timer() {
    TimerChange->stop();
    afficher();
    IndexAffiche = ComboK7->currentIndex();
}

void VisuK7::BtnEffacerK7_Click() {
    if (Messages::MsgBox(QStringLiteral("Etes-vous sur de vouloir effacer la cassette N°") +
                             ComboK7->currentText() + QStringLiteral(" et tout les films qu'elle contient ?"),
                         Messages::Question) != Messages::Oui)
        return;
    Appli::sablier();
    EffaceK7();
    Appli::defaut();
}

bool VisuK7::EffaceK7() {
    const QString entree = ComboK7->currentText();
    const QString numK7 = QString::number(entree.toLongLong());
    Moniteur* m = Moniteur::instance();
    const QString cheminAppli = Moniteur::cheminAppli();

    // The catalogue first, whole or not at all: placements, films, then the cassette.
    QList<qint64> films;
    QString erreur;
    Catalogue::Affiches::Journal journal(cheminAppli);
    {
        Catalogue::Transaction t;
        bool ok = t.ok();
        if (!ok)
            erreur = t.erreur();
        DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IDK7 = ") + numK7);
        if (ok && !DataFilmK7.Refresh()) {
            ok = false;
            erreur = Messages::texteLectureImpossible(DataFilmK7);
        }
        for (; ok && !DataFilmK7.Eof(); DataFilmK7.MoveNext()) {
            const qint64 idFilm = DataFilmK7.Fields(QStringLiteral("IdFilm")).toLongLong();
            ok = DataFilmK7.Delete();
            if (!ok)
                break;
            DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film WHERE IdFilm = ") +
                                     QString::number(idFilm));
            ok = DataFilm.Refresh();
            if (!ok)
                erreur = Messages::texteLectureImpossible(DataFilm);
            ok = ok && (DataFilm.Eof() || DataFilm.Delete());
            if (!ok && erreur.isEmpty())
                erreur = DataFilm.Erreur();
            films << idFilm;
            journal.supprimer(idFilm);
        }
        if (!ok && erreur.isEmpty())
            erreur = DataFilmK7.Erreur();
        if (ok) {
            DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7 WHERE IdK7 = ") + numK7);
            if (!DataK7.Refresh()) {
                ok = false;
                erreur = Messages::texteLectureImpossible(DataK7);
            } else if (DataK7.Eof() || !DataK7.Delete()) {
                ok = false;
                erreur =
                    DataK7.Erreur().isEmpty() ? QStringLiteral("la cassette n'existe plus") : DataK7.Erreur();
            }
        }
        if (ok && !journal.preparer(&erreur))
            ok = false;
        if (ok && !t.valider()) {
            ok = false;
            erreur = t.erreur();
        }
        if (!ok) {
            t.annuler();
            journal.abandonner();
            Appli::defaut();
            Messages::MsgBox(
                QStringLiteral("La cassette %1 n'a pas été effacée, le catalogue est inchangé :\n%2")
                    .arg(numK7, erreur),
                Messages::Critique);
            afficher();
            return false;
        }
    }

    // The posters go with the films (should one resist, its journal stays for the next start).
    QString sansSuite;
    journal.terminer(&sansSuite);

    // Then the screens, film by film, with the list repainted between films.
    // The buttons and the list wait meanwhile: a second deletion must not start inside the
    // first, nor another cassette be chosen while this one goes.
    const QList<QWidget*> enAttente{ComboK7, BtnEffacerK7, BtnValiderK7};
    for (QWidget* w : enAttente)
        w->setEnabled(false);
    ListeFilm* liste = m && m->ListeOuverte ? ListeFilm::instance() : nullptr;
    if (liste) {
        // From the bottom up, the rows still to remove keep their numbers.
        for (const int r : lignesDesFilms(*liste->TableFilm, films)) {
            liste->SupprimeLigne(r);
            Appli::DoEvents();
        }
    }
    for (QWidget* w : enAttente)
        w->setEnabled(true);

    {
        // The entry of the cassette deleted, wherever the selection stands now.
        const QSignalBlocker silence(ComboK7);
        ComboK7->removeItem(ComboK7->findText(entree));
    }
    if (ComboK7->count() == 0) {
        if (m) {
            m->FilmPresent = false;
            m->K7Presente = false;
            if (m->ListeOuverte && ListeFilm::instance())
                ListeFilm::instance()->Unload();
            m->AfficheDefault();
        }
        VideInfosK7();
        Messages::MsgBox(QStringLiteral("La base est vide ! Il n'y a plus aucune cassette à visualiser"),
                         Messages::Information);
        Unload();
        return true;
    }

    // The first cassette of the table, and the film at the smallest position of all.
    DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7"));
    if (!DataK7.Refresh())
        Messages::lectureImpossible(DataK7);
    const int index = ComboK7->findText(DataK7.Texte(QStringLiteral("IdK7")));
    {
        const QSignalBlocker silence(ComboK7);
        ComboK7->setCurrentIndex(qMax(index, 0));
    }
    DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 ORDER BY Position"));
    // Unread, no film is known to be left: the main window shows none rather than a deleted one.
    if (!DataFilmK7.Refresh())
        Messages::lectureImpossible(DataFilmK7);
    if (m) {
        if (DataFilmK7.RecordCount() > 0) {
            const qint64 idFilm = DataFilmK7.Fields(QStringLiteral("IdFilm")).toLongLong();
            m->MetAJourMoniteur(idFilm);
            m->AfficheInfosK7();
            if (liste && m->ListeOuverte) {
                liste->SuiviActif = false;
                Grille& g = *liste->TableFilm;
                const int r = ligneDuFilm(g, idFilm);
                if (r < g.Rows()) {
                    g.setRow(r);
                    g.setCol(0);
                    g.setColSel(g.Cols() - 1);
                }
                liste->SuiviActif = true;
            }
        } else {
            m->FilmPresent = false;
            if (m->ListeOuverte && ListeFilm::instance())
                ListeFilm::instance()->Unload();
            m->AfficheDefault();
        }
    }
    TimerChange_Timer();
    return true;
}

void VisuK7::VideInfosK7() {
    lblNumK7->setText(QStringLiteral("0"));
    LblDureeK7->setText(QStringLiteral("00:00:00"));
    LblTempsRestant->setText(QStringLiteral("00:00:00"));
    viderBarre(LargeurBarre);
    LstBande->clear();
}

void VisuK7::BtnValiderK7_Click() {
    Unload();
}
