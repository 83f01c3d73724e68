#include "screens/film/ChoixK7.h"

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Fenetres.h"
#include "screens/common/Grille.h"
#include "screens/common/ListeK7.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/film/AjoutFilm.h"
#include "screens/film/AjoutK7.h"
#include "screens/main/Moniteur.h"
#include "screens/views/ListeFilm.h"

#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>

using Unites::pixels;
using Unites::police;

namespace {

constexpr int Marge = 240;
constexpr int HautGrille = 1680;
constexpr int LargeurBarre = 4820;
constexpr int HauteurPanneau = 1620;
constexpr int LargeurForme = 6880;
constexpr int OrangeClair = 255 + 192 * 256 + 128 * 65536;
// The film's title at this size when it fits; a long one is shown smaller rather than cut.
constexpr qreal TailleTitre = 12;

Etiquette* etiquette(QWidget* parent, const QString& texte, int g, int h, int l, int ht, const QFont& f) {
    return Etiquette::creer(parent, texte, g, h, l, ht, f);
}

} // namespace

ChoixK7::ChoixK7(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Liste des cassettes libres"));
    const QFont normal = police(QStringLiteral("Arial"), 9, true);
    Label1 = etiquette(this, QStringLiteral("Cassettes libres pour le film"), Marge, 120, 6400, 285, normal);
    LblTitre = etiquette(this, QString(), Marge, 420, 6400, 420, police(QStringLiteral("Arial Black"), 12));
    LblTitre->setForeColor(Unites::Rouge);
    Label2 = etiquette(this, QStringLiteral("d'une durée de "), Marge, 915, 1500, 300, normal);
    LblDuree = etiquette(this, QStringLiteral("00:00:00"), 1740, 870, 1300, 360,
                         police(QStringLiteral("Arial Black"), 10));
    LblDuree->setBackColor(Unites::Noir);
    LblDuree->setForeColor(65280);
    LblDuree->setAlignment(Qt::AlignCenter);
    LblChoixK7 =
        etiquette(this, QString(), Marge, 1320, 6400, 300, police(QStringLiteral("Arial"), 9, false, true));

    TableK7Libre = new Grille(this);
    ListeK7::habiller(*TableK7Libre, Grille::CentreHaut);

    FrmInfosK7 = new QFrame(this);
    FrmInfosK7->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblNumK7 = creerNumeroK7(FrmInfosK7, 120, 360);
    preparerBarre(FrmInfosK7, 1380, 420, LargeurBarre);
    LblDebut = etiquette(FrmInfosK7, QString(), 1380, 1260, LargeurBarre, 285, normal);
    FrmInfosK7->hide();

    BtnValiderK7 = boutonOrange(this, QStringLiteral("Ajouter"));
    BtnAjouterK7 = boutonOrange(this, QStringLiteral("Ajouter une Cassette"), OrangeClair);
    BtnFermer = boutonOrange(this, QStringLiteral("Fermer"));
    BtnValiderK7->setDefault(true);
    lettreAcces(BtnValiderK7, 'A');
    lettreAcces(BtnAjouterK7, 'C');
    lettreAcces(BtnFermer, 'F');
    // The list first: the arrows pick a cassette, Enter places the film on it.
    ordreTabulation({TableK7Libre, BtnValiderK7, BtnAjouterK7, BtnFermer});
    TableK7Libre->setFocus();

    connect(TableK7Libre, &Grille::RowColChange, this, &ChoixK7::TableK7Libre_RowColChange);
    connect(&shape, &TableauEtiquettes::Click, this, &ChoixK7::shape_Click);
    connect(BtnValiderK7, &QPushButton::clicked, this, &ChoixK7::BtnValiderK7_Click);
    connect(BtnAjouterK7, &QPushButton::clicked, this, &ChoixK7::BtnAjouterK7_Click);
    connect(BtnFermer, &QPushButton::clicked, this, &ChoixK7::BtnFermer_Click);
    for (SourceDonnees* s : {&DataK7Libre, &DataK7, &DataAjoutK7, &DataFilmK7})
        s->setParent(this);
    setFixedSize(pixels(LargeurForme), pixels(4000));
}

void ChoixK7::Form_Load() {
    const QString catalogue = QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue);
    for (SourceDonnees* s : {&DataAjoutK7, &DataFilmK7, &DataK7, &DataK7Libre})
        s->setDatabaseName(catalogue);
}

void ChoixK7::Ouvre(const QString& Titre, const QString& Duree, Feuille* ouvreur) {
    m_ouvreur = ouvreur;
    charger();
    Fenetres::ajusterTexte(LblTitre, Titre, TailleTitre);
    LblDuree->setText(Duree);
    ShowModal(ouvreur);
}

void ChoixK7::Form_Activate() {
    TableRemplie = false;
    if (!ListeK7::remplir(*TableK7Libre, DataK7Libre, LblDuree->text()))
        Messages::lectureImpossible(DataK7Libre);
    InitialiseTable();
}

void ChoixK7::placerBoutons(int haut) {
    int gauche = Marge;
    for (QPushButton* b : {BtnValiderK7, BtnAjouterK7, BtnFermer}) {
        const int largeur = b == BtnAjouterK7 ? 2320 : 1800;
        b->setGeometry(pixels(gauche), pixels(haut), pixels(largeur), pixels(420));
        gauche += largeur + 240;
    }
    setFixedSize(pixels(LargeurForme), pixels(haut + 420 + 500));
}

void ChoixK7::InitialiseTable() {
    Grille& g = *TableK7Libre;
    const int largeur = 4 * g.ColWidth(0) + Unites::twips(2 * g.frameWidth());
    int hauteur;
    if (g.TextMatrix(1, 0).isEmpty()) {
        FrmInfosK7->hide();
        g.setTextMatrix(1, 1, QStringLiteral("Aucune     cassette"));
        g.setTextMatrix(1, 2, QStringLiteral("de     Disponible"));
        hauteur = ListeK7::hauteur(g, g.Rows() - 1);
        LblChoixK7->setText(QStringLiteral("Aucune cassette n'a été trouvée pour la durée demandée"));
        BtnValiderK7->setEnabled(false);
        g.placer(Marge, HautGrille, largeur, hauteur);
        placerBoutons(HautGrille + hauteur + 350);
        TableRemplie = false;
    } else {
        // At most four candidates show at once; the others scroll.
        const int n = g.Rows() < 6 ? g.Rows() - 1 : 4;
        const int barre = g.Rows() >= 6 ? Unites::twips(g.verticalScrollBar()->sizeHint().width()) : 0;
        hauteur = ListeK7::hauteur(g, n);
        LblChoixK7->setText(QStringLiteral("Choisissez une cassette parmis les différentes propositions"));
        BtnValiderK7->setEnabled(true);
        TableRemplie = true;
        FrmInfosK7->show();
        g.placer(Marge, HautGrille, largeur + barre, hauteur);
        FrmInfosK7->setGeometry(pixels(Marge), pixels(HautGrille + hauteur + 150), pixels(6400),
                                pixels(HauteurPanneau));
        placerBoutons(HautGrille + hauteur + HauteurPanneau + 300);
    }
    // Select the first candidate whole, then show it once (moving the selection raises the
    // current-cell change up to twice, and not at all when the row was already 1).
    const bool remplie = TableRemplie;
    TableRemplie = false;
    g.setRow(1);
    g.setCol(0);
    g.setColSel(g.Cols() - 1);
    TableRemplie = remplie;
    TableK7Libre_RowColChange();
}

void ChoixK7::TableK7Libre_RowColChange() {
    if (!TableRemplie)
        return;
    shape.UnloadAuDela(0);
    lblDuree.UnloadAuDela(0);
    const Grille& g = *TableK7Libre;
    AfficheInfosK7(g.TextMatrix(g.Row(), 0).toLongLong(), g.TextMatrix(g.Row(), 3));
}

void ChoixK7::AfficheInfosK7(qint64 NumK7, const QString& Plage) {
    StatusK7 = ListeK7::dessiner(*this, DataK7, *lblNumK7, NumK7, Plage, LargeurBarre);
    PlageChoisie = Plage;
    montrerChoix();
    FrmInfosK7->move(pixels(Marge), TableK7Libre->geometry().bottom() + 1 + pixels(150));
}

// Where the yellow stretch starts; the stretches a click would choose say so: a hand over them,
// and a line in their hint.
void ChoixK7::montrerChoix() {
    LblDebut->setText(texteDebut(champChoisi()));
    for (int i = 0; i <= shape.UBound(); ++i) {
        const bool choisissable = Fonctions::PlageChoisissable(i, LblDuree->text(), *this);
        shape(i).setCursor(choisissable ? Qt::PointingHandCursor : Qt::ArrowCursor);
        Fonctions::BulleSegment(
            *this, i,
            choisissable ? QStringLiteral("Cliquer pour enregistrer le film dans cette plage") : QString());
    }
}

int ChoixK7::champChoisi() const {
    for (int i = 0; i <= shape.UBound(); ++i) {
        if (shape(i).BackColor() == Unites::Jaune)
            return i + 1;
    }
    return 0;
}

QString ChoixK7::texteDebut(int champ) const {
    if (champ < 1 || champ > etendues.size())
        return QString();
    return QStringLiteral("Enregistrer à partir de ") + Outils::SecondesEnHeure(etendues.at(champ - 1).debut);
}

void ChoixK7::shape_Click(int Index) {
    if (!Fonctions::PlageChoisissable(Index, LblDuree->text(), *this))
        return;
    Fonctions::ChangePlage(Index, LblDuree->text(), *this);
    for (int i = 0; i <= shape.UBound(); ++i) {
        if (shape(i).BackColor() == Unites::Jaune)
            PlageChoisie = lblDuree(i).Caption();
    }
    // The row shows the stretch the film will take.
    TableK7Libre->setTextMatrix(TableK7Libre->Row(), 3, PlageChoisie);
    montrerChoix();
}

void ChoixK7::BtnAjouterK7_Click() {
    auto* k7 = new AjoutK7;
    k7->ShowModal(this); // on return this screen is active again and searches anew
}

void ChoixK7::BtnFermer_Click() {
    Unload();
}

// The placement: the pending film, its poster, the cassette's record, figures and placements
// land together, in the stretch the user made yellow, or nothing lands at all.
void ChoixK7::BtnValiderK7_Click() {
    AjoutFilm* film = AjoutFilm::instance();
    Moniteur* moniteur = Moniteur::instance();
    if (!film || film->DataFilm.EditMode() != SourceDonnees::AjoutEnCours || !TableRemplie)
        return;
    const Grille& g = *TableK7Libre;
    const int r = g.Row();
    const QString numK7 = QString::number(g.TextMatrix(r, 0).toLongLong());
    const QString duree = LblDuree->text();
    QString titre;
    const int champ = champChoisi();
    const QString debut = texteDebut(champ);
    const QString cheminAppli = Moniteur::cheminAppli();

    Appli::sablier();
    QString erreur;
    Catalogue::Affiches::Copie affiche;
    if (film->AfficheModifiee &&
        !affiche.preparer(film->CheminAffiche, Catalogue::Affiches::dossier(cheminAppli), &erreur)) {
        Appli::defaut();
        Messages::MsgBox(QStringLiteral("Le film n'a pas été ajouté : %1.").arg(erreur), Messages::Critique);
        return;
    }

    Catalogue::Affiches::Journal journal(cheminAppli);
    qint64 idFilm = 0;
    SourceDonnees::Signet signetFilm = 0;
    QString status;
    QString restant;
    int P = 0;
    {
        Catalogue::Transaction t;
        auto echec = [&](const QString& raison) {
            erreur = raison;
            return false;
        };
        bool ok = t.ok() || echec(t.erreur());
        // Film row; its number is given as it is saved.
        ok = ok && (film->DataFilm.Update() || echec(film->DataFilm.Erreur()));
        if (ok) {
            signetFilm = film->DataFilm.LastModified();
            film->DataFilm.setBookmark(signetFilm);
            idFilm = film->DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong();
            // The layout record names the film by the very title just saved, character for character.
            titre = film->DataFilm.Texte(QStringLiteral("Titre"));
        }
        // Cassette row: the film in the chosen stretch, one film more, its length less free.
        if (ok) {
            DataAjoutK7.setRecordSource(QStringLiteral("SELECT * from K7 WHERE IDK7 = ") + numK7);
            ok = (DataAjoutK7.Refresh() || echec(Messages::texteLectureImpossible(DataAjoutK7))) &&
                 (DataAjoutK7.Edit() || echec(DataAjoutK7.Erreur()));
        }
        if (ok) {
            status = Fonctions::InsereFilmAuChamp(StatusK7, champ, duree, titre);
            if (status == StatusK7 || DataAjoutK7.Texte(QStringLiteral("Status")) != StatusK7)
                ok = echec(QStringLiteral("la plage choisie sur la cassette %1 ne peut plus recevoir ce film")
                               .arg(numK7));
        }
        if (ok) {
            restant = Outils::SecondesEnHeure(
                Outils::HeureEnSecondes(DataAjoutK7.Texte(QStringLiteral("TempsRestant"))) -
                Outils::HeureEnSecondes(duree));
            DataAjoutK7.setField(QStringLiteral("Status"), status);
            DataAjoutK7.setField(QStringLiteral("NBFilm"),
                                 DataAjoutK7.Fields(QStringLiteral("NBFilm")).toLongLong() + 1);
            DataAjoutK7.setField(QStringLiteral("TempsRestant"), restant);
            ok = DataAjoutK7.Update() || echec(DataAjoutK7.Erreur());
        }
        // Its ordinal is where it was inserted, even when another film there has the same title.
        P = Fonctions::PositionAuChamp(StatusK7, champ);
        if (ok) {
            DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7"));
            ok = (DataFilmK7.Refresh() || echec(Messages::texteLectureImpossible(DataFilmK7))) &&
                 (DataFilmK7.AddNew() || echec(DataFilmK7.Erreur()));
        }
        if (ok) {
            DataFilmK7.setField(QStringLiteral("IdFilm"), idFilm);
            DataFilmK7.setField(QStringLiteral("IdK7"), numK7.toLongLong());
            DataFilmK7.setField(QStringLiteral("Position"), P);
            ok = DataFilmK7.Update() || echec(DataFilmK7.Erreur());
        }
        // The films after it on that tape move up one place.
        if (ok) {
            DataFilmK7.setRecordSource(QStringLiteral("Select * FROM FILMK7 WHERE IDK7=") + numK7 +
                                       QStringLiteral(" AND Position >= ") + QString::number(P));
            ok = DataFilmK7.Refresh() || echec(Messages::texteLectureImpossible(DataFilmK7));
            for (; ok && !DataFilmK7.Eof(); DataFilmK7.MoveNext()) {
                if (DataFilmK7.Fields(QStringLiteral("IdFilm")).toLongLong() == idFilm)
                    continue;
                ok = (DataFilmK7.Edit() &&
                      DataFilmK7.setField(QStringLiteral("Position"),
                                          DataFilmK7.Fields(QStringLiteral("Position")).toLongLong() + 1) &&
                      DataFilmK7.Update()) ||
                     echec(DataFilmK7.Erreur());
            }
        }
        if (ok)
            journal.installer(affiche, idFilm);
        QString raison;
        ok = ok && (journal.preparer(&raison) || echec(raison));
        ok = ok && (t.valider() || echec(t.erreur()));
        if (!ok) {
            t.annuler();
            journal.abandonner();
            // The film was not kept after all: it is pending again, as the user typed it.
            if (signetFilm)
                film->DataFilm.ReprendreAjout(signetFilm);
            Appli::defaut();
            Messages::MsgBox(
                QStringLiteral("Le film n'a pas été ajouté, le catalogue est inchangé :\n%1").arg(erreur),
                Messages::Critique);
            return;
        }
    }
    QString erreurAffiche;
    if (!journal.terminer(&erreurAffiche))
        erreurAffiche =
            QStringLiteral("Le film a été ajouté, mais son affiche n'a pas pu être mise en place : "
                           "%1\n\nElle le sera au prochain démarrage de Cassetron.")
                .arg(erreurAffiche);

    if (moniteur)
        moniteur->FilmPresent = true;
    auto* infos = new InfosK7;
    Fenetres::ajusterTexte(infos->LblTitre, titre, TailleTitre);
    infos->lblNumK7->setText(g.TextMatrix(r, 0));
    infos->LblDureeK7->setText(g.TextMatrix(r, 1));
    infos->LblNbFilm->setText(QString::number(g.TextMatrix(r, 2).toLongLong() + 1));
    infos->LblTempsRestant->setText(restant);
    infos->LblPositionFilm->setText(QString::number(P));
    infos->LblDebut->setText(debut);
    if (moniteur) {
        moniteur->MetAJourMoniteur(idFilm);
        moniteur->AfficheInfosK7();
        if (ListeFilm* liste = moniteur->ListeOuverte ? ListeFilm::instance() : nullptr) {
            liste->SuiviActif = false;
            Appli::sablier();
            liste->MetAJourFilm(idFilm);
            Appli::defaut();
            liste->SuiviActif = true;
        }
    }
    Fonctions::DessineCassette(status, g.TextMatrix(r, 1), *infos, infos->shape(0).Left(),
                               infos->shape(0).Top(), 3885, infos->shape(0).Height());
    Unload();
    film->Unload();
    Appli::defaut();
    if (!erreurAffiche.isEmpty())
        Messages::MsgBox(erreurAffiche, Messages::Exclamation);
    infos->ShowModal();
}

// ---- summary ----

InfosK7::InfosK7(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Films présents sur la bande"));
    setTailleInterieure(5640, 3900);
    Label6 = etiquette(this, QStringLiteral("Composition de la cassette après l'ajout du film :"), 240, 150,
                       5160, 285, police(QStringLiteral("Arial"), 9, true));
    LblTitre = etiquette(this, QString(), 240, 450, 5160, 540, police(QStringLiteral("Arial Black"), 12));
    LblTitre->setForeColor(Unites::Rouge);
    LblTitre->setAlignment(Qt::AlignCenter);
    FrmInfosK7 = new QFrame(this);
    FrmInfosK7->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FrmInfosK7->setGeometry(pixels(240), pixels(1020), pixels(5160), pixels(2100));
    lblNumK7 = creerNumeroK7(FrmInfosK7, 90, 120);
    const QFont chiffres = police(QStringLiteral("Arial"), 10, true);
    Label3 = etiquette(FrmInfosK7, QStringLiteral("Durée"), 1020, 90, 1125, 240,
                       police(QStringLiteral("Arial"), 8.25, true));
    LblDureeK7 = etiquette(FrmInfosK7, QString(), 1020, 330, 1125, 330, chiffres);
    Label4 = etiquette(FrmInfosK7, QStringLiteral("Temps restant"), 2265, 90, 1125, 240,
                       police(QStringLiteral("Arial"), 8.25, true));
    LblTempsRestant = etiquette(FrmInfosK7, QString(), 2265, 330, 1125, 330, chiffres);
    for (Etiquette* e : {Label3, LblDureeK7}) {
        e->setBackColor(Unites::Noir);
        e->setForeColor(65280);
    }
    for (Etiquette* e : {Label4, LblTempsRestant}) {
        e->setBackColor(Unites::Noir);
        e->setForeColor(16777088);
    }
    Label1 = etiquette(FrmInfosK7, QStringLiteral("Position du film"), 3540, 90, 1500, 240,
                       police(QStringLiteral("Arial"), 8.25, true));
    LblPositionFilm =
        etiquette(FrmInfosK7, QString(), 3540, 330, 660, 330, police(QStringLiteral("Arial"), 12, true));
    Label2 = etiquette(FrmInfosK7, QStringLiteral("/"), 4200, 330, 135, 330,
                       police(QStringLiteral("Arial"), 12, true));
    LblNbFilm =
        etiquette(FrmInfosK7, QString(), 4335, 330, 660, 330, police(QStringLiteral("Arial"), 12, true));
    for (Etiquette* e : {Label3, LblDureeK7, Label4, LblTempsRestant, Label1, Label2})
        e->setAlignment(Qt::AlignCenter);
    LblPositionFilm->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblDebut = etiquette(FrmInfosK7, QString(), 90, 720, 4980, 285, police(QStringLiteral("Arial"), 9, true));
    LblDebut->setAlignment(Qt::AlignCenter);
    preparerBarre(FrmInfosK7, 640, 1320, 3885);
    BtnValiderK7 = boutonOrange(this, QStringLiteral("Ok"));
    BtnValiderK7->setGeometry(pixels(2100), pixels(3300), pixels(1440), pixels(420));
    BtnValiderK7->setDefault(true);
    lettreAcces(BtnValiderK7, 'O');
    connect(BtnValiderK7, &QPushButton::clicked, this, &InfosK7::BtnValiderK7_Click);
}

void InfosK7::BtnValiderK7_Click() {
    Unload();
}
