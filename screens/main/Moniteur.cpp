#include "screens/main/Moniteur.h"

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Export.h"
#include "catalogue/Fonctions.h"
#include "catalogue/Outils.h"
#include "screens/auxiliary/About.h"
#include "screens/auxiliary/Aide.h"
#include "screens/common/Appli.h"
#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Fenetres.h"
#include "screens/common/Grille.h"
#include "screens/common/Images.h"
#include "screens/common/Liaisons.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"
#include "screens/film/AjoutFilm.h"
#include "screens/film/AjoutK7.h"
#include "screens/main/Entretien.h"
#include "screens/main/Pictos.h"
#include "screens/print/Impression.h"
#include "screens/print/ImpressionEtiquettes.h"
#include "screens/views/ConsultK7.h"
#include "screens/views/ListeFilm.h"
#include "screens/views/VisuK7.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

using Unites::pixels;
using Unites::police;

namespace {

constexpr int LargeurBarre = 3885;
// The title's size when it fits; a long title is shown smaller rather than cut.
constexpr qreal TailleTitre = 15.75;
// Colour values as the screens give them: r + 256·g + 65536·b.
constexpr int Orange = 33023;
constexpr int RougeSombre = 192;
constexpr int Vert = 65280;
constexpr int CyanClair = 16777088;

Etiquette* etiquette(QWidget* parent, const QString& texte, int g, int h, int l, int ht) {
    return Etiquette::creer(parent, texte, g, h, l, ht, police(QStringLiteral("Arial"), 9));
}

// A figure of the cassette: coloured text on black.
Etiquette* chiffre(QWidget* parent, int g, int h, int l, int ht, int couleur, const QString& bulle) {
    auto* e = etiquette(parent, QString(), g, h, l, ht);
    e->setBackColor(Unites::Noir);
    e->setForeColor(couleur);
    e->setFont(police(QStringLiteral("Arial"), 10, true));
    e->setAlignment(Qt::AlignCenter);
    e->setToolTip(bulle);
    return e;
}

} // namespace

Moniteur::Moniteur(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Cassetron"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, true);

    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(0, 0, 0, 0);
    disposition->setSpacing(0);
    construireMenus();
    disposition->setMenuBar(BarreMenus);
    auto* zone = new QWidget(this);
    zone->setFixedSize(pixels(9465), pixels(7470));
    disposition->addWidget(zone);
    disposition->setSizeConstraint(QLayout::SetFixedSize);

    Affiche = new QLabel(zone);
    Affiche->setGeometry(pixels(60), pixels(120), pixels(4305), pixels(5865));
    Affiche->setScaledContents(true);
    Affiche->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    // The shadow first, so the title is drawn over it.
    LblTitreOmbre = etiquette(zone, QString(), 4605, 870, 4785, 825);
    LblTitre = etiquette(zone, QString(), 4575, 840, 4785, 825);
    for (Etiquette* t : {LblTitreOmbre, LblTitre}) {
        t->setFont(police(QStringLiteral("Arial Black"), TailleTitre));
        t->setAlignment(Qt::AlignCenter);
        t->setWordWrap(true);
    }
    LblTitreOmbre->setForeColor(Unites::Noir);
    LblTitre->setForeColor(Unites::Rouge);

    Label1 = etiquette(zone, QStringLiteral("Un film de "), 6000, 1755, 1500, 255);
    Label1->setFont(police(QStringLiteral("Arial"), 9, false, true));
    LblRealisateur = etiquette(zone, QString(), 4575, 2010, 4785, 375);
    LblRealisateur->setFont(police(QStringLiteral("Arial"), 12, true));
    LblRealisateur->setAlignment(Qt::AlignCenter);
    Label2 = etiquette(zone, QStringLiteral("Avec"), 5775, 2505, 1500, 255);
    Label2->setFont(police(QStringLiteral("Arial"), 9, false, true));
    LblActeurs = etiquette(zone, QString(), 4560, 2820, 4800, 615);
    LblActeurs->setFont(police(QStringLiteral("Arial"), 12, true, true));
    LblActeurs->setForeColor(RougeSombre);
    LblActeurs->setAlignment(Qt::AlignCenter);
    LblActeurs->setWordWrap(true);

    TxtDescription = new QTextEdit(zone);
    TxtDescription->setGeometry(pixels(4440), pixels(3735), pixels(4950), pixels(1980));
    TxtDescription->setReadOnly(true);
    TxtDescription->setFont(police(QStringLiteral("Arial"), 9));
    TxtDescription->setTabStopDistance(pixels(360)); // a quarter inch: a paragraph indent, not a column

    LblDureeFilm = etiquette(zone, QString(), 4500, 5835, 780, 255);
    LblGenre = etiquette(zone, QString(), 5310, 5835, 1770, 255);
    LblPays = etiquette(zone, QString(), 7110, 5835, 1335, 255);
    LblDate = etiquette(zone, QString(), 8475, 5835, 900, 255);
    for (Etiquette* e : {LblDureeFilm, LblGenre, LblPays, LblDate}) {
        e->setFont(police(QStringLiteral("Arial"), 9, true));
        e->setAlignment(Qt::AlignCenter);
    }

    lblNumK7 = creerNumeroK7(zone, 90, 6645);

    Label3 = chiffre(zone, 1170, 6540, 1125, 285, Vert, QStringLiteral("Durée de la Cassette"));
    Label3->setText(QStringLiteral("Durée"));
    Label3->setFont(police(QStringLiteral("Arial"), 8.25, true));
    LblDureeK7 = chiffre(zone, 1170, 6825, 1125, 330, Vert, QStringLiteral("Durée de la Cassette"));
    Label4 = chiffre(zone, 2415, 6540, 1125, 285, CyanClair, QStringLiteral("Temps restant sur la bande"));
    Label4->setText(QStringLiteral("Temps restant"));
    Label4->setFont(police(QStringLiteral("Arial"), 8.25, true));
    LblTempsRestant =
        chiffre(zone, 2415, 6825, 1125, 330, CyanClair, QStringLiteral("Temps restant sur la bande"));

    Label6 = etiquette(zone, QStringLiteral("Position du film"), 7905, 6300, 1305, 240);
    Label6->setFont(police(QStringLiteral("Arial"), 8.25, true));
    Label6->setAlignment(Qt::AlignCenter);
    LblPositionFilm = etiquette(zone, QString(), 7995, 6540, 495, 300);
    Label5 = etiquette(zone, QStringLiteral("/"), 8490, 6540, 135, 300);
    LblNbFilm = etiquette(zone, QString(), 8625, 6540, 495, 300);
    for (Etiquette* e : {LblPositionFilm, Label5, LblNbFilm}) {
        e->setFont(police(QStringLiteral("Arial"), 12, true));
        e->setAlignment(Qt::AlignCenter);
    }
    LblPositionFilm->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblNbFilm->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LblDebutBande = etiquette(zone, QString(), 7800, 6900, 1620, 480);
    LblDebutBande->setFont(police(QStringLiteral("Arial"), 8.25, true));
    LblDebutBande->setAlignment(Qt::AlignCenter);
    LblDebutBande->setWordWrap(true);
    LblDebutBande->setToolTip(QStringLiteral("Où rembobiner la cassette pour voir le film"));

    preparerBarre(zone, 3840, 6630, LargeurBarre);

    BtnPreviousFilm = boutonOrange(zone, QStringLiteral("<"), Orange);
    BtnNextFilm = boutonOrange(zone, QStringLiteral(">"), Orange);
    BtnPreviousFilm->setGeometry(pixels(90), pixels(45), pixels(375), pixels(330));
    BtnNextFilm->setGeometry(pixels(570), pixels(45), pixels(375), pixels(330));
    BtnPreviousFilm->setToolTip(QStringLiteral("Film Précédent"));
    BtnNextFilm->setToolTip(QStringLiteral("Film Suivant"));
    for (QPushButton* b : {BtnPreviousFilm, BtnNextFilm}) {
        b->setFont(police(QStringLiteral("Arial Black"), 10));
        b->setFocusPolicy(Qt::NoFocus);
        b->raise(); // over the poster's corner
    }
    connect(BtnNextFilm, &QPushButton::clicked, this, &Moniteur::BtnNextFilm_Click);
    connect(BtnPreviousFilm, &QPushButton::clicked, this, &Moniteur::BtnPreviousFilm_Click);

    construireBarreOutils();
    for (QToolButton* b :
         {BtnListeFilm, BntAjouterFilm, BtnModifFilm, BtnEffacerFilm, BtnRechercheK7, BtnAjoutK7, BtnVisuK7})
        b->setParent(zone);
    int gauche = 9465 - 90 - 7 * 525;
    for (QToolButton* b : {BtnListeFilm, BntAjouterFilm, BtnModifFilm, BtnEffacerFilm, BtnRechercheK7,
                           BtnAjoutK7, BtnVisuK7}) {
        b->setGeometry(pixels(gauche), pixels(90), pixels(525), pixels(525));
        gauche += 525;
    }
    ordreTabulation({BtnListeFilm, BntAjouterFilm, BtnModifFilm, BtnEffacerFilm, BtnRechercheK7, BtnAjoutK7,
                     BtnVisuK7, TxtDescription});
    // The summary has no caret to move and the tool buttons would only walk the bar: the arrows
    // browse even when one of them has the focus.
    TxtDescription->installEventFilter(this);
    for (QToolButton* b :
         {BtnListeFilm, BntAjouterFilm, BtnModifFilm, BtnEffacerFilm, BtnRechercheK7, BtnAjoutK7, BtnVisuK7})
        b->installEventFilter(this);

    for (SourceDonnees* s : {&DataFilm, &DataFilmK7, &DataK7})
        s->setParent(this);
    for (Etiquette* t : {LblTitre, LblTitreOmbre})
        DataFilm.lier(t, QStringLiteral("Titre"),
                      [t](const QString& v) { Fenetres::ajusterTexte(t, v, TailleTitre); });
    Liaisons::lier(DataFilm, LblRealisateur, QStringLiteral("Réalisateur"));
    Liaisons::lier(DataFilm, LblActeurs, QStringLiteral("Acteurs"));
    DataFilm.lier(TxtDescription, QStringLiteral("Description"),
                  [this](const QString& t) { TxtDescription->setPlainText(t); });
    Liaisons::lier(DataFilm, LblDureeFilm, QStringLiteral("Durée"));
    Liaisons::lier(DataFilm, LblGenre, QStringLiteral("Genre"));
    Liaisons::lier(DataFilm, LblPays, QStringLiteral("Pays"));
    Liaisons::lier(DataFilm, LblDate, QStringLiteral("Date"));
    Liaisons::lier(DataK7, LblDureeK7, QStringLiteral("Durée"));
    Liaisons::lier(DataK7, LblTempsRestant, QStringLiteral("TempsRestant"));
    Liaisons::lier(DataK7, lblNumK7, QStringLiteral("IDK7"));
    Liaisons::lier(DataK7, LblNbFilm, QStringLiteral("NBFilm"));
    Liaisons::lier(DataFilmK7, LblPositionFilm, QStringLiteral("Position"));
}

Moniteur::~Moniteur() = default;

QString Moniteur::cheminAppli() {
    const Moniteur* m = instance();
    return m && !m->CheminAppli.isEmpty() ? m->CheminAppli : Appli::dossier();
}

void Moniteur::construireMenus() {
    BarreMenus = new QMenuBar(this);
    auto entree = [this](QMenu* menu, const QString& texte, const QString& nom) {
        QAction* a = menu->addAction(texte);
        a->setObjectName(nom);
        return a;
    };
    MenuFichier = BarreMenus->addMenu(QStringLiteral("&Fichier"));
    MenuExporter = entree(MenuFichier, QStringLiteral("&Exporter…"), QStringLiteral("MenuExporter"));
    MenuFichier->addSeparator();
    MenuQuitter = entree(MenuFichier, QStringLiteral("&Quitter"), QStringLiteral("MenuQuitter"));

    MenuFilm = BarreMenus->addMenu(QStringLiteral("F&ilm"));
    MenuListeFilm = entree(MenuFilm, QStringLiteral("&Liste des films"), QStringLiteral("MenuListeFilm"));
    MenuImprime =
        entree(MenuFilm, QStringLiteral("&Imprimer la liste des films"), QStringLiteral("MenuImprime"));
    MenuFilm->addSeparator()->setObjectName(QStringLiteral("Ligne2"));
    MenuAjouterFilm = entree(MenuFilm, QStringLiteral("&Ajouter un film"), QStringLiteral("MenuAjouterFilm"));
    MenuModifFilm =
        entree(MenuFilm, QStringLiteral("&Modifier le film courant"), QStringLiteral("MenuModifFilm"));
    MenuEffacerFilm =
        entree(MenuFilm, QStringLiteral("&Effacer le film courant"), QStringLiteral("MenuEffacerFilm"));

    MenuCassette = BarreMenus->addMenu(QStringLiteral("&Cassette"));
    MenuRechercheK7 = entree(MenuCassette, QStringLiteral("&Rechercher une cassette de libre"),
                             QStringLiteral("MenuRechercheK7"));
    MenuCassette->addSeparator()->setObjectName(QStringLiteral("Ligne"));
    MenuAjouterCassette =
        entree(MenuCassette, QStringLiteral("&Ajouter une cassette"), QStringLiteral("MenuAjouterCassette"));
    MenuEffacerCassette = entree(MenuCassette, QStringLiteral("&Visualiser/Effacer une cassette"),
                                 QStringLiteral("MenuEffacerCassette"));
    MenuEtiquettes =
        entree(MenuCassette, QStringLiteral("&Imprimer les étiquettes…"), QStringLiteral("MenuEtiquettes"));

    MenuOption = BarreMenus->addMenu(QStringLiteral("&Option"));
    MenuDb = MenuOption->addMenu(QStringLiteral("&Base de donnée"));
    MenuCompactDB =
        entree(MenuDb, QStringLiteral("&Compacter la base de donnée"), QStringLiteral("MenuCompactDB"));
    MenuRepairDb =
        entree(MenuDb, QStringLiteral("&Réparer la base de donnée"), QStringLiteral("MenuRepairDb"));
    MenuRestaurerDb = entree(MenuDb, QStringLiteral("R&estaurer une copie de sauvegarde…"),
                             QStringLiteral("MenuRestaurerDb"));

    MenuAide = BarreMenus->addMenu(QStringLiteral("&?"));
    MenuAideEnLigne = entree(MenuAide, QStringLiteral("&Aide sur les principales fonctionnalités"),
                             QStringLiteral("MenuAideEnLigne"));
    MenuAPropos = entree(MenuAide, QStringLiteral("A &propos de Cassetron"), QStringLiteral("MenuAPropos"));

    connect(MenuExporter, &QAction::triggered, this, &Moniteur::MenuExporter_Click);
    connect(MenuQuitter, &QAction::triggered, this, &Moniteur::MenuQuitter_Click);
    connect(MenuListeFilm, &QAction::triggered, this, &Moniteur::MenuListeFilm_Click);
    // Ctrl+F: the film list, open or opened, with the keyboard in its search field.
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        MenuListeFilm_Click();
        if (ListeFilm* liste = ListeOuverte ? ListeFilm::instance() : nullptr)
            liste->Rechercher();
    });
    connect(MenuAjouterFilm, &QAction::triggered, this, &Moniteur::MenuAjouterFilm_Click);
    connect(MenuModifFilm, &QAction::triggered, this, &Moniteur::MenuModifFilm_Click);
    connect(MenuAjouterCassette, &QAction::triggered, this, &Moniteur::MenuAjouterCassette_Click);
    connect(MenuEffacerFilm, &QAction::triggered, this, &Moniteur::MenuEffacerFilm_Click);
    connect(MenuRechercheK7, &QAction::triggered, this, &Moniteur::MenuRechercheK7_Click);
    connect(MenuEffacerCassette, &QAction::triggered, this, &Moniteur::MenuEffacerCassette_Click);
    connect(MenuImprime, &QAction::triggered, this, &Moniteur::MenuImprime_Click);
    connect(MenuEtiquettes, &QAction::triggered, this, &Moniteur::MenuEtiquettes_Click);
    connect(MenuCompactDB, &QAction::triggered, this, &Moniteur::MenuCompactDB_Click);
    connect(MenuRepairDb, &QAction::triggered, this, &Moniteur::MenuRepairDb_Click);
    connect(MenuRestaurerDb, &QAction::triggered, this, &Moniteur::MenuRestaurerDb_Click);
    connect(MenuAideEnLigne, &QAction::triggered, this, &Moniteur::MenuAideEnLigne_Click);
    connect(MenuAPropos, &QAction::triggered, this, &Moniteur::MenuAPropos_Click);
}

void Moniteur::construireBarreOutils() {
    auto bouton = [](Pictos::Picto p, const QString& bulle, const QString& nom, QAction* commande) {
        auto* b = new QToolButton;
        b->setObjectName(nom);
        b->setIcon(Pictos::icone(p));
        b->setIconSize(QSize(28, 28));
        b->setToolTip(bulle);
        b->setAutoRaise(false);
        b->setEnabled(commande->isEnabled());
        QObject::connect(b, &QToolButton::clicked, commande, &QAction::trigger);
        QObject::connect(commande, &QAction::changed, b,
                         [b, commande] { b->setEnabled(commande->isEnabled()); });
        return b;
    };
    BtnListeFilm = bouton(Pictos::ListeFilm, QStringLiteral("Liste des Films"),
                          QStringLiteral("BtnListeFilm"), MenuListeFilm);
    BntAjouterFilm = bouton(Pictos::AjouterFilm, QStringLiteral("Ajouter un Film"),
                            QStringLiteral("BntAjouterFilm"), MenuAjouterFilm);
    BtnModifFilm = bouton(Pictos::ModifFilm, QStringLiteral("Modifier un Film"),
                          QStringLiteral("BtnModifFilm"), MenuModifFilm);
    BtnEffacerFilm = bouton(Pictos::EffacerFilm, QStringLiteral("Effacer un Film"),
                            QStringLiteral("BtnEffacerFilm"), MenuEffacerFilm);
    BtnRechercheK7 = bouton(Pictos::RechercheK7, QStringLiteral("Rechercher une Cassette de libre"),
                            QStringLiteral("BtnRechercheK7"), MenuRechercheK7);
    BtnAjoutK7 = bouton(Pictos::AjoutK7, QStringLiteral("Ajouter une Cassette"), QStringLiteral("BtnAjoutK7"),
                        MenuAjouterCassette);
    BtnVisuK7 = bouton(Pictos::VisuK7, QStringLiteral("Visualiser/Effacer une Cassette"),
                       QStringLiteral("BtnVisuK7"), MenuEffacerCassette);
}

QString Moniteur::CheminAffiche(qint64 IdFilm) const {
    QString affiche = Catalogue::Affiches::fichier(CheminAppli, IdFilm);
    if (QFile::exists(affiche))
        return affiche;
    return QDir(CheminAppli).filePath(QStringLiteral("NoPicture.jpg"));
}

QPixmap Moniteur::imageAffiche(const QString& chemin) const {
    // An unreadable poster (not a picture, huge, a folder) shows the placeholder, as a missing one does.
    const QPixmap image = Images::afficher(chemin);
    return image.isNull() ? QPixmap(QDir(CheminAppli).filePath(QStringLiteral("NoPicture.jpg"))) : image;
}

void Moniteur::chargerAffiche(const QString& chemin) {
    Affiche->setPixmap(imageAffiche(chemin));
}

void Moniteur::AfficheAffiche() {
    if (!DataFilm.Lisible())
        signalerLectureImpossible(DataFilm);
    chargerAffiche(CheminAffiche(DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong()));
}

// Opening probes only the tables' structure; a damaged table shows when its rows are read.
// Said like a damaged file, over the placeholder display.
void Moniteur::signalerIllisible(const SourceDonnees& source) {
    FilmPresent = false;
    AfficheDefault();
    m_lectureSignalee = true;
    Messages::lectureImpossible(source);
}

void Moniteur::Form_Load() {
    chargerCatalogue();
    // The start-up copy read every page, which loading does not: a fault it met is said here,
    // once, whatever the display reached.
    if (!m_defautConnu.isEmpty() && !m_lectureSignalee) {
        m_lectureSignalee = true;
        Messages::MsgBox(Messages::texteCatalogueEndommage(
                             QDir(CheminAppli).filePath(Catalogue::NomCatalogue), m_defautConnu),
                         Messages::Critique);
    }
}

void Moniteur::chargerCatalogue() {
    CheminAppli = Appli::dossier();
    const QString catalogue = QDir(CheminAppli).filePath(Catalogue::NomCatalogue);
    for (SourceDonnees* s : {&DataFilm, &DataFilmK7, &DataK7})
        s->setDatabaseName(catalogue);
    const QString affiches = QDir(CheminAppli).filePath(QStringLiteral("Affiche"));
    // What stops the poster folder from being there; said after the catalogue's own state.
    QString dossierAffiches;
    if (QFileInfo(affiches).exists() && !QFileInfo(affiches).isDir())
        dossierAffiches = QStringLiteral("un fichier porte déjà ce nom");
    else if (!QFileInfo(affiches).isDir() && !QDir().mkpath(affiches))
        dossierAffiches = QStringLiteral("le dossier de l'application n'accepte pas de modification");
    const auto signalerDossierAffiches = [&] {
        if (!dossierAffiches.isEmpty())
            Messages::MsgBox(
                QStringLiteral("Le dossier des affiches %1 n'a pas pu être créé : %2.\n\nLes films "
                               "s'affichent sans leur affiche et aucune affiche ne peut être ajoutée.")
                    .arg(QDir::toNativeSeparators(affiches), dossierAffiches),
                Messages::Exclamation);
    };

    Catalogue::oublierCopiesInterrompues(CheminAppli);
    // A missing or damaged catalogue is said once, clearly; the window stays usable.
    const Catalogue::Ouverture o = Catalogue::ouvrir(catalogue);
    m_catalogueOuvert = o.ok();
    if (o.ok()) {
        // A command cut short (a crash, a power cut) may have left its posters half changed:
        // put right before any of them shows.
        const Catalogue::Affiches::Reprise reprise = Catalogue::Affiches::reprendre(CheminAppli);
        if (!reprise.erreur.isEmpty())
            Messages::MsgBox(reprise.erreur, Messages::Exclamation);
    }
    if (!o.ok()) {
        FilmPresent = false;
        K7Presente = false;
        AfficheDefault();
        QString conseil;
        if (o.etat == Catalogue::Etat::Endommage)
            conseil = QStringLiteral(
                "\n\nLe menu Option, Base de donnée, Réparer la base de donnée peut le remettre en état.");
        else if (o.etat == Catalogue::Etat::Absent)
            conseil =
                QStringLiteral("\n\nRéinstallez le programme pour retrouver un catalogue vide, ou remettez "
                               "votre catalogue dans le dossier %1.")
                    .arg(QDir::toNativeSeparators(CheminAppli));
        m_lectureSignalee = true;
        Messages::MsgBox(o.message + conseil, Messages::Critique);
        signalerDossierAffiches();
        return;
    }
    if (o.lectureSeule)
        Messages::MsgBox(o.avertissement, Messages::Exclamation);
    signalerDossierAffiches();
    DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7"));
    if (!DataK7.Refresh()) {
        signalerIllisible(DataK7);
        return;
    }
    K7Presente = DataK7.RecordCount() != 0;
    AfficheMoniteur();
}

void Moniteur::AfficheMoniteur() {
    DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 ORDER BY IdK7"));
    if (!DataFilmK7.Refresh()) {
        signalerIllisible(DataFilmK7);
        return;
    }
    if (DataFilmK7.RecordCount() == 0) {
        FilmPresent = false;
        AfficheDefault();
        Messages::MsgBox(QStringLiteral("Aucun film n'est présent dans la base de donnée !!"),
                         Messages::Information);
        return;
    }
    DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film ORDER BY Titre"));
    if (!DataFilm.Refresh()) {
        signalerIllisible(DataFilm);
        return;
    }
    AfficheAffiche();
    AfficheInfosK7();
    FilmPresent = true;
}

void Moniteur::AfficheInfosK7() {
    // A film without a placement (a damaged catalogue) shows an empty cassette, never a failure.
    const qint64 idFilm = DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong();
    DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IDFilm = ") +
                               QString::number(idFilm));
    if (!DataFilmK7.Refresh())
        signalerLectureImpossible(DataFilmK7);
    const qint64 idK7 = DataFilmK7.Fields(QStringLiteral("IdK7")).toLongLong();
    DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7 WHERE IDK7 = ") + QString::number(idK7));
    if (!DataK7.Refresh())
        signalerLectureImpossible(DataK7);
    if (DataK7.RecordCount() == 0)
        lblNumK7->setText(QStringLiteral("0"));
    const QString status = DataK7.Texte(QStringLiteral("Status"));
    Fonctions::DessineCassette(status, DataK7.Texte(QStringLiteral("Durée")), *this, shape(0).Left(),
                               shape(0).Top(), LargeurBarre, shape(0).Height());
    const int debut =
        Fonctions::DebutFilm(status, int(DataFilmK7.Fields(QStringLiteral("Position")).toLongLong()));
    LblDebutBande->setText(
        debut < 0 ? QString() : QStringLiteral("Début sur la bande : ") + Outils::SecondesEnHeure(debut));
}

// A damaged stretch the start did not reach shows while browsing: said once, the film stays shown.
void Moniteur::signalerLectureImpossible(const SourceDonnees& source) {
    if (m_lectureSignalee)
        return;
    m_lectureSignalee = true;
    Messages::lectureImpossible(source);
}

void Moniteur::AfficheDefault() {
    viderBarre(LargeurBarre);
    for (Etiquette* t : {LblTitre, LblTitreOmbre})
        Fenetres::ajusterTexte(t, QStringLiteral("LE TITRE"), TailleTitre);
    LblRealisateur->setText(QStringLiteral("Notre ami le réalisateur"));
    LblActeurs->setText(QStringLiteral("Plein d'acteurs"));
    TxtDescription->setPlainText(QStringLiteral("\tY'a pas grand chose à dire pour le moment"));
    LblDureeFilm->setText(QStringLiteral("0 Mn"));
    LblPays->setText(QStringLiteral("France"));
    LblGenre->setText(QStringLiteral("Inclassable"));
    LblDate->setText(QDate::currentDate().toString(QStringLiteral("yyyy")));
    lblNumK7->setText(QStringLiteral("0"));
    LblDureeK7->setText(QStringLiteral("Un max !"));
    LblTempsRestant->setText(QStringLiteral("Beaucoup"));
    LblNbFilm->setText(QStringLiteral("0"));
    LblPositionFilm->setText(QStringLiteral("0"));
    LblDebutBande->clear();
    chargerAffiche(QDir(CheminAppli).filePath(QStringLiteral("NoPicture.jpg")));
}

void Moniteur::MetAJourMoniteur(qint64 IdFilm) {
    DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film ORDER BY Titre"));
    if (!DataFilm.Refresh()) {
        signalerIllisible(DataFilm);
        return;
    }
    if (!DataFilm.Chercher(QStringLiteral("IdFilm"), IdFilm))
        DataFilm.MoveFirst(); // the film is gone: show the first title rather than nothing
    AfficheAffiche();
}

void Moniteur::BtnNextFilm_Click() {
    if (DataFilm.Eof() || DataFilm.Bof())
        return;
    DataFilm.MoveNext();
    if (DataFilm.Eof())
        DataFilm.MoveFirst();
    AfficheAffiche();
    AfficheInfosK7();
}

void Moniteur::BtnPreviousFilm_Click() {
    if (DataFilm.Eof() || DataFilm.Bof())
        return;
    DataFilm.MovePrevious();
    if (DataFilm.Bof())
        DataFilm.MoveLast();
    AfficheAffiche();
    AfficheInfosK7();
}

bool Moniteur::parcourir(const QKeyEvent* e) {
    if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const bool suivant = e->key() == Qt::Key_Right || e->key() == Qt::Key_PageDown;
    const bool precedent = e->key() == Qt::Key_Left || e->key() == Qt::Key_PageUp;
    if (!suivant && !precedent)
        return false;
    // Disabled buttons mean browsing is off (empty catalogue, list open): the keys obey them too.
    QPushButton* bouton = suivant ? BtnNextFilm : BtnPreviousFilm;
    if (bouton->isEnabled()) {
        if (suivant)
            BtnNextFilm_Click();
        else
            BtnPreviousFilm_Click();
    }
    return true;
}

bool Moniteur::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const auto* touche = static_cast<QKeyEvent*>(e);
        const bool page =
            objet == TxtDescription && (touche->key() == Qt::Key_PageUp || touche->key() == Qt::Key_PageDown);
        // A summary longer than its box keeps the page keys to scroll through it.
        if (!(page && TxtDescription->verticalScrollBar()->maximum() > 0) && parcourir(touche))
            return true;
    }
    return Feuille::eventFilter(objet, e);
}

void Moniteur::keyPressEvent(QKeyEvent* e) {
    if (!parcourir(e))
        Feuille::keyPressEvent(e);
}

void Moniteur::Form_Activate() {
    if (!FilmPresent) {
        BtnNextFilm->setEnabled(false);
        BtnPreviousFilm->setEnabled(false);
        AfficheDefault();
    } else if (!ListeOuverte) {
        BtnNextFilm->setEnabled(true);
        BtnPreviousFilm->setEnabled(true);
    }
}

void Moniteur::MenuQuitter_Click() {
    Unload();
}

void Moniteur::MenuListeFilm_Click() {
    if (!FilmPresent) {
        Messages::MsgBox(QStringLiteral("Il n'y a pas de film à visualiser, la base est vide"),
                         Messages::Information);
        return;
    }
    ListeFilm* liste = ListeFilm::instance();
    if (!liste) {
        const QPointer<Moniteur> moniteur(this);
        liste = new ListeFilm(QDir(cheminAppli()).filePath(Catalogue::NomCatalogue), [moniteur] {
            return moniteur ? moniteur->DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong() : 0;
        });
        connect(liste, &ListeFilm::filmChoisi, this, &Moniteur::afficherFilm);
        connect(liste, &ListeFilm::fermee, this, &Moniteur::listeFermee);
        // The list chooses the film shown while it is open: browsing here would leave its row.
        BtnNextFilm->setEnabled(false);
        BtnPreviousFilm->setEnabled(false);
        liste->charger();
        // Beside the main window, where both stay in sight and its commands stay reachable.
        Fenetres::ouvrirACote(liste, this, BtnListeFilm);
    }
    liste->Show();
    // A list that could not read the catalogue has closed already.
    ListeOuverte = ListeFilm::instance() != nullptr;
}

void Moniteur::afficherFilm(qint64 IdFilm) {
    DataFilm.setRecordSource(QStringLiteral("SELECT * FROM Film WHERE IDFilm = ") + QString::number(IdFilm));
    if (!DataFilm.Refresh())
        signalerLectureImpossible(DataFilm);
    AfficheAffiche();
    AfficheInfosK7();
}

// Back to browsing in title order, from the film the list closed on.
void Moniteur::listeFermee(qint64 IdFilm, bool lue) {
    ListeOuverte = false;
    if (FilmPresent && lue) {
        Appli::Sablier sablier;
        MetAJourMoniteur(IdFilm);
        AfficheInfosK7();
    }
    BtnNextFilm->setEnabled(true);
    BtnPreviousFilm->setEnabled(true);
}

void Moniteur::MenuAjouterFilm_Click() {
    ModeAjout = true;
    ModeModif = false;
    auto* film = new AjoutFilm;
    film->ShowModal(this);
}

void Moniteur::MenuModifFilm_Click() {
    if (!FilmPresent) {
        Messages::MsgBox(QStringLiteral("Il n'y a aucun film à modifier !"), Messages::Information);
        return;
    }
    ModeAjout = false;
    ModeModif = true;
    auto* film = new AjoutFilm;
    film->charger();
    film->Affiche->setPixmap(
        imageAffiche(CheminAffiche(DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong())));
    film->ShowModal(this);
}

void Moniteur::MenuRechercheK7_Click() {
    auto* recherche = new ConsultK7;
    recherche->ShowModal(this);
}

void Moniteur::MenuEffacerCassette_Click() {
    if (!K7Presente) {
        Messages::MsgBox(
            QStringLiteral("Il n'y a pas de Cassette à Visualiser et/ou Effacer, la base est vide !"),
            Messages::Information);
        return;
    }
    auto* visu = new VisuK7;
    visu->ShowModal(this);
}

void Moniteur::BtnEffacerFilm_Click() {
    if (!FilmPresent) {
        Messages::MsgBox(QStringLiteral("Il n'y a aucun film à effacer dans la base !!"),
                         Messages::Information);
        return;
    }
    // The film shown could not be read: its fields are empty, nothing to give back to its cassette.
    if (!DataFilm.Lisible()) {
        Messages::lectureImpossible(DataFilm);
        return;
    }
    if (Messages::MsgBox(QStringLiteral("Etes-vous sûr de vouloir effacer le film :\n\n") +
                             DataFilm.Texte(QStringLiteral("Titre")),
                         Messages::OuiNon) != Messages::Oui)
        return;
    Appli::Sablier sablier;
    if (!EffaceFilm())
        return;
    ListeFilm* liste = ListeOuverte ? ListeFilm::instance() : nullptr;
    if (liste)
        FilmPresent = liste->TableFilm->Rows() >= 3;
    else
        FilmPresent = DataFilm.RecordCount() != 0;
    if (!FilmPresent) {
        AfficheDefault();
        Messages::MsgBox(QStringLiteral("Il n'y a plus de films dans la base !!"), Messages::Information);
        if (liste)
            liste->Unload();
        // Nothing left to browse, even though closing the list gave the buttons back.
        BtnNextFilm->setEnabled(false);
        BtnPreviousFilm->setEnabled(false);
    } else if (liste) {
        liste->SupprimeLigne(liste->TableFilm->Row());
        DataFilm.setRecordSource(
            QStringLiteral("SELECT * FROM Film WHERE IDFilm = ") +
            QString::number(liste->TableFilm->TextMatrix(liste->TableFilm->Row(), 7).toLongLong()));
        if (!DataFilm.Refresh())
            signalerLectureImpossible(DataFilm);
        AfficheInfosK7();
    } else {
        AfficheMoniteur();
    }
}

// The film's tape is given back to its cassette, merged with free neighbours; the films after
// it move down one place; the poster goes once the catalogue has taken the change.
bool Moniteur::EffaceFilm() {
    const qint64 f = DataFilm.Fields(QStringLiteral("IdFilm")).toLongLong();
    const QString duree = DataFilm.Texte(QStringLiteral("Durée"));
    QString erreur;
    Catalogue::Affiches::Journal journal(CheminAppli);
    journal.supprimer(f);
    {
        Catalogue::Transaction t;
        auto echec = [&](const QString& raison) {
            erreur = raison;
            return false;
        };
        bool ok = t.ok() || echec(t.erreur());
        qint64 k = 0;
        qint64 p = 0;
        if (ok) {
            DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IDFilm=") +
                                       QString::number(f));
            ok = DataFilmK7.Refresh() || echec(Messages::texteLectureImpossible(DataFilmK7));
        }
        // A film without a placement (a damaged catalogue) has no tape to give back.
        const bool place = ok && !DataFilmK7.Eof();
        if (place) {
            k = DataFilmK7.Fields(QStringLiteral("IdK7")).toLongLong();
            p = DataFilmK7.Fields(QStringLiteral("Position")).toLongLong();
            ok = DataFilmK7.Delete() || echec(DataFilmK7.Erreur());
        }
        if (ok && place) {
            DataK7.setRecordSource(QStringLiteral("SELECT * FROM K7 WHERE IDK7=") + QString::number(k));
            ok = (DataK7.Refresh() || echec(Messages::texteLectureImpossible(DataK7))) &&
                 (DataK7.Eof() || DataK7.Edit() || echec(DataK7.Erreur()));
            if (ok && !DataK7.Eof()) {
                DataK7.setField(QStringLiteral("TempsRestant"),
                                Outils::SecondesEnHeure(
                                    Outils::HeureEnSecondes(duree) +
                                    Outils::HeureEnSecondes(DataK7.Texte(QStringLiteral("TempsRestant")))));
                DataK7.setField(QStringLiteral("NBFilm"),
                                DataK7.Fields(QStringLiteral("NBFilm")).toLongLong() - 1);
                DataK7.setField(QStringLiteral("Status"),
                                Fonctions::RetireFilm(DataK7.Texte(QStringLiteral("Status")), int(p)));
                ok = DataK7.Update() || echec(DataK7.Erreur());
            }
        }
        if (ok && place) {
            DataFilmK7.setRecordSource(QStringLiteral("SELECT * FROM FilmK7 WHERE IDK7=") +
                                       QString::number(k) + QStringLiteral("AND Position>") +
                                       QString::number(p));
            ok = DataFilmK7.Refresh() || echec(Messages::texteLectureImpossible(DataFilmK7));
            for (; ok && !DataFilmK7.Eof(); DataFilmK7.MoveNext()) {
                ok = (DataFilmK7.Edit() &&
                      DataFilmK7.setField(QStringLiteral("Position"),
                                          DataFilmK7.Fields(QStringLiteral("Position")).toLongLong() - 1) &&
                      DataFilmK7.Update()) ||
                     echec(DataFilmK7.Erreur());
            }
        }
        ok = ok && (DataFilm.Delete() || echec(DataFilm.Erreur()));
        QString raison;
        ok = ok && (journal.preparer(&raison) || echec(raison));
        ok = ok && (t.valider() || echec(t.erreur()));
        if (!ok) {
            t.annuler();
            journal.abandonner();
            Appli::defaut();
            Messages::MsgBox(
                QStringLiteral("Le film n'a pas été effacé, le catalogue est inchangé :\n%1").arg(erreur),
                Messages::Critique);
            // The screens show what the catalogue holds again.
            MetAJourMoniteur(f);
            AfficheInfosK7();
            return false;
        }
    }
    // Should the poster resist, its journal stays and the next start removes it.
    QString sansSuite;
    journal.terminer(&sansSuite);
    return true;
}

void Moniteur::MenuExporter_Click() {
    const QString dossier = Dialogues::Dossier(this, QStringLiteral("Exporter le catalogue"));
    if (dossier.isEmpty())
        return;
    const QStringList la = Catalogue::Export::existants(dossier);
    if (!la.isEmpty() &&
        Messages::MsgBox(
            QStringLiteral("Le dossier %1 contient déjà %2.\n\nVoulez-vous %3 ?")
                .arg(QDir::toNativeSeparators(dossier),
                     QStringLiteral("« %1 »").arg(la.join(QStringLiteral(" » et « "))),
                     la.size() > 1 ? QStringLiteral("les remplacer") : QStringLiteral("le remplacer")),
            Messages::Question) != Messages::Oui)
        return;
    Appli::sablier();
    const Catalogue::Export::Resultat r = Catalogue::Export::exporter(dossier);
    Appli::defaut();
    Messages::MsgBox(r.message, r.ok ? Messages::Information : Messages::Critique);
}

void Moniteur::MenuImprime_Click() {
    auto* impression = new Impression;
    impression->ShowModal(this);
}

void Moniteur::MenuEtiquettes_Click() {
    if (!K7Presente) {
        Messages::MsgBox(QStringLiteral("Il n'y a pas de cassette à étiqueter, la base est vide !"),
                         Messages::Information);
        return;
    }
    auto* etiquettes = new ImpressionEtiquettes;
    etiquettes->ShowModal(this);
}

void Moniteur::MenuAideEnLigne_Click() {
    Aide* aide = Aide::instance();
    if (!aide) {
        aide = new Aide;
        aide->charger();
        Fenetres::ouvrirACote(aide, this, BtnListeFilm);
    }
    aide->Show();
}

void Moniteur::MenuAPropos_Click() {
    auto* about = new About;
    about->ShowModal(this);
}

void Moniteur::MenuCompactDB_Click() {
    Entretien::compacter(*this);
}

void Moniteur::MenuRepairDb_Click() {
    Entretien::reparer(*this);
}

void Moniteur::MenuRestaurerDb_Click() {
    Entretien::restaurerCopie(*this);
}

void Moniteur::MenuAjouterCassette_Click() {
    auto* k7 = new AjoutK7;
    k7->ShowModal(this);
}

bool Moniteur::Form_QueryUnload() {
    // The film list lives beside the main window and closes with it.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && qobject_cast<Feuille*>(w))
            w->close();
    }
    return true;
}
