#include "screens/film/AjoutFilm.h"

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/FichierFilm.h"
#include "catalogue/Outils.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Images.h"
#include "screens/common/Liaisons.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/film/ChoixK7.h"
#include "screens/main/Moniteur.h"
#include "screens/main/Pictos.h"
#include "screens/views/ListeFilm.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

using Unites::pixels;
using Unites::police;

namespace {

const QStringList Genres = {
    QStringLiteral("Action"),
    QStringLiteral("Arts martiaux"),
    QStringLiteral("Aventure"),
    QStringLiteral("Catastrophe"),
    QStringLiteral("Comédie"),
    QStringLiteral("Comédie dramatique"),
    QStringLiteral("Comédie musicale"),
    QStringLiteral("Dessins animés"),
    QStringLiteral("Divertissements"),
    QStringLiteral("Documentaire"),
    QStringLiteral("Drame"),
    QStringLiteral("Erotique"),
    QStringLiteral("Fantastique"),
    QStringLiteral("Guerre"),
    QStringLiteral("Horreur"),
    QStringLiteral("Musique"),
    QStringLiteral("Policier"),
    QStringLiteral("Science Fiction"),
    QStringLiteral("Sport"),
    QStringLiteral("Western"),
};

// Film files are a few hundred bytes; anything far larger is not one.
constexpr qint64 TailleMaxFichierFilm = 1 << 20;

Etiquette* libelle(QWidget* parent, const QString& texte, int g, int h, int l) {
    auto* e = new Etiquette(parent, texte);
    e->placer(g, h, l, 300);
    e->setFont(police(QStringLiteral("Arial"), 9, true));
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return e;
}

template <typename T> T* champ(QWidget* parent, int g, int h, int l, int ht, const QString& bulle) {
    auto* c = new T(parent);
    c->setGeometry(pixels(g), pixels(h), pixels(l), pixels(ht));
    c->setToolTip(bulle);
    return c;
}

} // namespace

AjoutFilm::AjoutFilm(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Ajout d'un film"));
    setTailleInterieure(9240, 6480);

    Affiche = new QLabel(this);
    Affiche->setGeometry(pixels(120), pixels(420), pixels(2640), pixels(3600));
    Affiche->setScaledContents(true);
    Affiche->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label4 = new Etiquette(this, QStringLiteral("Affiche"));
    Label4->placer(120, 120, 2640, 285);
    Label4->setFont(police(QStringLiteral("Arial"), 9, true));
    Label4->setAlignment(Qt::AlignCenter);
    OuvrirAffiche = champ<QToolButton>(this, 600, 4140, 660, 660, QStringLiteral("Importer une Affiche"));
    OuvrirAffiche->setIcon(Pictos::icone(Pictos::Affiche));
    ImporterFilm = champ<QToolButton>(this, 1620, 4140, 660, 660, QStringLiteral("Importer un .FILM"));
    ImporterFilm->setIcon(Pictos::icone(Pictos::FichierFilm));
    for (QToolButton* b : {OuvrirAffiche, ImporterFilm})
        b->setIconSize(QSize(32, 32));

    TxtTitre = champ<ChampTitre>(this, 3000, 120, 6120, 720, QStringLiteral("Titre du film"));
    TxtTitre->setFont(police(QStringLiteral("Arial Black"), 13));
    TxtTitre->setStyleSheet(QStringLiteral("QPlainTextEdit { color: red; }"));
    Label1 = libelle(this, QStringLiteral("Un film de "), 3000, 1005, 1200);
    TxtRealisateur = champ<QLineEdit>(this, 4260, 960, 4860, 390, QStringLiteral("Nom du réalisateur"));
    Label2 = libelle(this, QStringLiteral("Avec"), 3000, 1530, 1200);
    TxtActeurs = champ<QPlainTextEdit>(this, 4260, 1485, 4860, 690, QStringLiteral("Acteurs du film"));
    TxtActeurs->setTabChangesFocus(true);

    LblDureeFilm = libelle(this, QStringLiteral("Durée"), 3000, 2355, 1200);
    TxtDuree = champ<ChampDuree>(this, 4260, 2310, 1200, 390, QStringLiteral("Durée du film HH:MM:SS"));
    LblDate = libelle(this, QStringLiteral("Date"), 5520, 2355, 600);
    TxtDate = champ<QLineEdit>(this, 6180, 2310, 840, 390, QStringLiteral("Date de sortie"));
    TxtDate->setPlaceholderText(QStringLiteral("AAAA"));
    LblPays = libelle(this, QStringLiteral("Pays"), 7080, 2355, 600);
    TxtPays = champ<QLineEdit>(this, 7740, 2310, 1380, 390, QStringLiteral("Nationalité du film"));
    LblGenre = libelle(this, QStringLiteral("Genre"), 3000, 2880, 1200);
    ComboGenre = champ<QComboBox>(this, 4260, 2835, 3000, 390, QStringLiteral("Genre du film"));
    ComboGenre->setEditable(true);
    ComboGenre->setInsertPolicy(QComboBox::NoInsert);
    ComboGenre->addItems(Genres);
    ComboGenre->setCurrentIndex(-1);
    // Any genre typed is stored as typed: nothing completes it ("Com" stays "Com"), and Enter does
    // not swap it for a list entry differing only in letter case. The list stays in the drop-down.
    ComboGenre->setCompleter(nullptr);
    ComboGenre->setDuplicatesEnabled(true);
    Label3 = libelle(this, QStringLiteral("Résumé"), 3000, 3390, 1200);
    TxtDescription = champ<QTextEdit>(this, 4260, 3360, 4860, 2220, QStringLiteral("Résume du film"));
    TxtDescription->setAcceptRichText(false);
    TxtDescription->setTabStopDistance(pixels(360));
    TxtDescription->setTabChangesFocus(true);

    BtnAjouterFilm = boutonOrange(this, QStringLiteral("Valider"));
    BtnAjouterFilm->setGeometry(pixels(4920), pixels(5820), pixels(1800), pixels(450));
    BtnAjouterFilm->setDefault(true);
    BtnAnnuler = boutonOrange(this, QStringLiteral("Annuler"));
    BtnAnnuler->setGeometry(pixels(7020), pixels(5820), pixels(1800), pixels(450));

    lettreAcces(BtnAjouterFilm, 'V');
    lettreAcces(BtnAnnuler, 'N');
    // The film's fields as they read, the poster's buttons, then the form's answers.
    ordreTabulation({TxtTitre, TxtRealisateur, TxtActeurs, TxtDuree, TxtDate, TxtPays, ComboGenre,
                     TxtDescription, OuvrirAffiche, ImporterFilm, BtnAjouterFilm, BtnAnnuler});
    TxtTitre->setFocus();

    connect(BtnAjouterFilm, &QPushButton::clicked, this, &AjoutFilm::BtnAjouterFilm_Click);
    connect(BtnAnnuler, &QPushButton::clicked, this, &AjoutFilm::BtnAnnuler_Click);
    connect(OuvrirAffiche, &QToolButton::clicked, this, &AjoutFilm::OuvrirAffiche_Click);
    connect(ImporterFilm, &QToolButton::clicked, this, &AjoutFilm::ImporterFilm_Click);
    // A click in a field selects its whole text, so that typing replaces it.
    for (QWidget* w : {static_cast<QWidget*>(TxtTitre->viewport()), static_cast<QWidget*>(TxtRealisateur),
                       static_cast<QWidget*>(TxtActeurs->viewport()), static_cast<QWidget*>(TxtDate),
                       static_cast<QWidget*>(TxtPays)})
        w->installEventFilter(this);

    DataFilm.setParent(this);
    Liaisons::lier(DataFilm, TxtTitre, QStringLiteral("Titre"));
    Liaisons::lier(DataFilm, TxtRealisateur, QStringLiteral("Réalisateur"));
    Liaisons::lier(DataFilm, TxtActeurs, QStringLiteral("Acteurs"));
    Liaisons::lier(DataFilm, TxtDuree, QStringLiteral("Durée"));
    Liaisons::lier(DataFilm, TxtDate, QStringLiteral("Date"));
    Liaisons::lier(DataFilm, TxtPays, QStringLiteral("Pays"));
    Liaisons::lier(DataFilm, ComboGenre, QStringLiteral("Genre"));
    Liaisons::lier(DataFilm, TxtDescription, QStringLiteral("Description"));
}

bool AjoutFilm::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        if (objet == TxtTitre->viewport())
            TxtTitre->selectAll();
        else if (objet == TxtActeurs->viewport())
            TxtActeurs->selectAll();
        else if (auto* ligne = qobject_cast<QLineEdit*>(objet))
            ligne->selectAll();
    }
    return Feuille::eventFilter(objet, e);
}

void AjoutFilm::Form_Load() {
    AfficheModifiee = false;
    DataFilm.setDatabaseName(QDir(Moniteur::cheminAppli()).filePath(Catalogue::NomCatalogue));
    const Moniteur* m = Moniteur::instance();
    m_ajout = !m || m->ModeAjout;
    if (m_ajout) {
        setWindowTitle(QStringLiteral("Ajout d'un film"));
        TxtDuree->setEnabled(true);
        TxtTitre->setEnabled(true);
        BtnAjouterFilm->setText(QStringLiteral("Valider"));
        DataFilm.setRecordSource(QStringLiteral("select * from Film"));
        if (!DataFilm.Refresh())
            Messages::lectureImpossible(DataFilm);
        else if (!DataFilm.AddNew())
            Messages::MsgBox(DataFilm.Erreur(), Messages::Critique);
    } else {
        setWindowTitle(QStringLiteral("Modification d'un film"));
        TxtDuree->setEnabled(false);
        TxtTitre->setEnabled(false);
        BtnAjouterFilm->setText(QStringLiteral("Modifier"));
        DataFilm.setRecordSource(QStringLiteral("select * from Film where IdFilm =") +
                                 QString::number(m->DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong()));
        if (!DataFilm.Refresh())
            Messages::lectureImpossible(DataFilm);
        else if (!DataFilm.Edit())
            Messages::MsgBox(DataFilm.Erreur(), Messages::Critique);
    }
}

// Closing by "Annuler" or by the close box writes nothing, in both modes.
void AjoutFilm::Form_Unload() {
    DataFilm.CancelUpdate();
}

bool AjoutFilm::VerifieDonnees() {
    // A title of blanks alone (spaces, tabs, non-breaking spaces) is no title.
    if (TxtTitre->texte().trimmed().isEmpty()) {
        Messages::MsgBox(QStringLiteral("Un Titre doit obligatoirement être fourni !!"),
                         Messages::Exclamation);
        return false;
    }
    if (!Outils::EstHeureValide(TxtDuree->text())) {
        Messages::MsgBox(QStringLiteral("La durée du film doit être fournie selon le format HH:MM:SS"),
                         Messages::Exclamation);
        return false;
    }
    if (TxtDate->text().isEmpty()) {
        TxtDate->setText(QDate::currentDate().toString(QStringLiteral("yyyy")));
    } else if (!Outils::VerifieFormat(TxtDate->text(), QStringLiteral("####"))) {
        Messages::MsgBox(QStringLiteral("La date du film doit être fournie selon le format AAAA (ex: 1999)"),
                         Messages::Exclamation);
        return false;
    }
    if (TxtRealisateur->text().isEmpty())
        TxtRealisateur->setText(QStringLiteral("Néant"));
    if (TxtActeurs->toPlainText().isEmpty())
        TxtActeurs->setPlainText(QStringLiteral("Néant"));
    if (TxtPays->text().isEmpty())
        TxtPays->setText(QStringLiteral("Indéfini"));
    if (TxtDescription->toPlainText().isEmpty())
        TxtDescription->setPlainText(QStringLiteral("\tAucun commentaire"));
    if (ComboGenre->currentText().isEmpty())
        ComboGenre->setCurrentText(QStringLiteral("Indéfini"));
    return true;
}

void AjoutFilm::BtnAjouterFilm_Click() {
    if (!VerifieDonnees())
        return;
    if (m_ajout) {
        // The cassette choice saves the film; closing it keeps this form open with the film pending.
        auto* choix = new ChoixK7;
        choix->Ouvre(TxtTitre->texte(), TxtDuree->text(), this);
        return;
    }
    const QString cheminAppli = Moniteur::cheminAppli();
    const qint64 idFilm = DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong();
    QString erreur;
    Catalogue::Affiches::Copie affiche;
    if (AfficheModifiee &&
        !affiche.preparer(CheminAffiche, Catalogue::Affiches::dossier(cheminAppli), &erreur)) {
        Messages::MsgBox(QStringLiteral("Le film n'a pas été modifié : %1.").arg(erreur), Messages::Critique);
        return;
    }
    Catalogue::Affiches::Journal journal(cheminAppli);
    journal.installer(affiche, idFilm);
    {
        Catalogue::Transaction t;
        QString raison;
        if (!t.ok() || !DataFilm.Update() || !journal.preparer(&raison) || !t.valider()) {
            erreur = !raison.isEmpty() ? raison : !t.erreur().isEmpty() ? t.erreur() : DataFilm.Erreur();
            t.annuler();
            journal.abandonner();
            if (DataFilm.EditMode() == SourceDonnees::AucuneEdition)
                DataFilm.Edit(); // the fields still hold what the user typed
            Messages::MsgBox(
                QStringLiteral("Le film n'a pas été modifié, le catalogue est inchangé :\n%1").arg(erreur),
                Messages::Critique);
            return;
        }
    }
    if (!journal.terminer(&erreur))
        Messages::MsgBox(
            QStringLiteral("Le film a été modifié, mais sa nouvelle affiche n'a pas pu être mise en "
                           "place : %1\n\nElle le sera au prochain démarrage de Cassetron.")
                .arg(erreur),
            Messages::Exclamation);
    if (Moniteur* m = Moniteur::instance()) {
        m->MetAJourMoniteur(idFilm);
        m->AfficheInfosK7();
        if (ListeFilm* liste = m->ListeOuverte ? ListeFilm::instance() : nullptr) {
            liste->SuiviActif = false;
            Appli::sablier();
            liste->MetAJourFilm(idFilm);
            Appli::defaut();
            liste->SuiviActif = true;
        }
    }
    Messages::MsgBox(QStringLiteral("Le film : \n\n") + DataFilm.Texte(QStringLiteral("Titre")) +
                         QStringLiteral("\n\na été modifié !"),
                     Messages::Information);
    Unload();
}

void AjoutFilm::BtnAnnuler_Click() {
    Unload();
}

void AjoutFilm::OuvrirAffiche_Click() {
    const QString chemin =
        Dialogues::FichierOuvrir(this, QStringLiteral("Affiches de Films | *.jpg;*.bmp;*.gif"));
    if (chemin.isEmpty())
        return;
    QString raison;
    if (!QFileInfo(chemin).isFile() || !QFileInfo(chemin).isReadable()) {
        Messages::MsgBox(
            QStringLiteral("L'affiche %1 ne peut pas être lue.").arg(QDir::toNativeSeparators(chemin)),
            Messages::Exclamation);
        return;
    }
    // Only a picture becomes a poster: anything else would be copied beside the posters as one.
    const QImage image = Images::lire(chemin, &raison);
    if (image.isNull()) {
        Messages::MsgBox(QStringLiteral("L'affiche %1 ne peut pas être lue : %2.")
                             .arg(QDir::toNativeSeparators(chemin), raison),
                         Messages::Exclamation);
        return;
    }
    Affiche->setPixmap(QPixmap::fromImage(image));
    AfficheModifiee = true;
    CheminAffiche = chemin;
}

void AjoutFilm::ImporterFilm_Click() {
    const QString chemin = Dialogues::FichierOuvrir(this, QStringLiteral("Films | *.film;*.txt"));
    if (!chemin.isEmpty())
        importer(chemin);
}

bool AjoutFilm::importer(const QString& chemin) {
    const QFileInfo info(chemin);
    QFile f(chemin);
    FichierFilm::Lecture lecture;
    const QString tropGrand = QStringLiteral("il est bien trop grand pour être un fichier de film");
    // Only a regular file: a folder cannot be read, a pipe or a device would be read forever.
    if (!info.exists())
        lecture.erreur = QStringLiteral("le fichier est introuvable");
    else if (!info.isFile())
        lecture.erreur = QStringLiteral("ce n'est pas un fichier");
    else if (info.size() > TailleMaxFichierFilm)
        lecture.erreur = tropGrand;
    else if (!f.open(QIODevice::ReadOnly))
        lecture.erreur = QStringLiteral("il ne peut pas être ouvert en lecture");
    else {
        // Never more than the limit in memory, even for a file that grew since.
        const QByteArray octets = f.read(TailleMaxFichierFilm + 1);
        if (f.error() != QFileDevice::NoError)
            lecture.erreur = QStringLiteral("il ne peut pas être lu");
        else if (octets.size() > TailleMaxFichierFilm)
            lecture.erreur = tropGrand;
        else
            lecture = FichierFilm::lire(octets);
    }
    if (!lecture.erreur.isEmpty()) {
        Messages::MsgBox(QStringLiteral("Le fichier %1 n'a pas pu être importé : %2.")
                             .arg(QDir::toNativeSeparators(chemin), lecture.erreur),
                         Messages::Exclamation);
        return false;
    }
    const QStringList& l = lecture.lignes;
    for (int i = 0; i < l.size(); ++i) {
        switch (i) {
        case 0:
            if (m_ajout)
                TxtTitre->setPlainText(Outils::SurUneLigne(l[i]).toUpper());
            break;
        case 1:
            TxtRealisateur->setText(l[i].toUpper());
            break;
        case 2:
            TxtDate->setText(l[i]);
            break;
        case 3:
            TxtPays->setText(l[i]);
            break;
        case 4:
            ComboGenre->setCurrentText(l[i]);
            break;
        case 5:
            if (m_ajout)
                TxtDuree->setText(FichierFilm::duree(l[i]));
            break;
        case 6:
            TxtActeurs->setPlainText(FichierFilm::acteurs(l[i]));
            break;
        case 7:
            TxtDescription->setPlainText(l[i]);
            break;
        }
    }
    const QString affiche = FichierFilm::afficheVoisine(chemin);
    if (QFileInfo::exists(affiche)) {
        QString raison;
        const QImage image = Images::lire(affiche, &raison);
        if (!image.isNull()) {
            Affiche->setPixmap(QPixmap::fromImage(image));
            AfficheModifiee = true;
            CheminAffiche = affiche;
        } else {
            // The film's details are in; the poster is not taken (nor shown), so nothing unreadable
            // gets copied and a poster chosen before stays the one shown and kept.
            Messages::MsgBox(QStringLiteral("Le film est importé sans son affiche : l'affiche %1 ne peut pas "
                                            "être lue : %2.")
                                 .arg(QDir::toNativeSeparators(affiche), raison),
                             Messages::Exclamation);
        }
    }
    return true;
}
