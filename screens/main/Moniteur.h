#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Barre.h"
#include "screens/common/Feuille.h"

class QAction;
class QKeyEvent;
class QLabel;
class QPixmap;
class QMenu;
class QMenuBar;
class QPushButton;
class QTextEdit;
class QToolButton;

// The main window: one film at a time with its poster, details and cassette, browsing in title
// order, and every command of the program (the upkeep of the catalogue file runs in Entretien).
// It holds the state the other screens share.
class Moniteur : public Feuille, public AvecBarre {
    Q_OBJECT
public:
    explicit Moniteur(QWidget* parent = nullptr);
    ~Moniteur() override;
    static Moniteur* instance() { return chargee<Moniteur>(); }
    // The application folder as the main window holds it (the program's folder when it is not loaded).
    static QString cheminAppli();

    // A fault of the catalogue found before the window opened (by the start-up copy): said once
    // when loading, unless the loading meets it and says so itself.
    void setDefautConnu(const QString& raison) { m_defautConnu = raison; }
    // How long a maintenance command's notice stays at least on screen when nothing else shows
    // that the command ran, in milliseconds.
    static inline int LectureAvis = 1500;

    // Shared state.
    QString CheminAppli;
    bool FilmPresent = false;
    bool K7Presente = false;
    bool ListeOuverte = false;
    bool ModeAjout = false;
    bool ModeModif = false;

    SourceDonnees DataFilm;
    SourceDonnees DataFilmK7;
    SourceDonnees DataK7;

    void AfficheMoniteur();
    void AfficheInfosK7();
    void AfficheDefault();
    void MetAJourMoniteur(qint64 IdFilm);
    // Deletes the current film without asking; false (said to the user) when the catalogue
    // refused, and then nothing is deleted.
    bool EffaceFilm();
    // The poster file of a film, or the placeholder when it has none.
    QString CheminAffiche(qint64 IdFilm) const;
    // Shows the current film's poster.
    void AfficheAffiche();
    // The catalogue could not be read for the film shown: said once, the window goes on.
    void signalerLectureImpossible(const SourceDonnees& source);

    // Controls.
    QLabel* Affiche;
    Etiquette* LblTitre;
    Etiquette* LblTitreOmbre;
    Etiquette* Label1;
    Etiquette* LblRealisateur;
    Etiquette* Label2;
    Etiquette* LblActeurs;
    QTextEdit* TxtDescription;
    Etiquette* LblDureeFilm;
    Etiquette* LblGenre;
    Etiquette* LblPays;
    Etiquette* LblDate;
    Etiquette* Label3;
    Etiquette* LblDureeK7;
    Etiquette* Label4;
    Etiquette* LblTempsRestant;
    Etiquette* lblNumK7;
    Etiquette* Label6;
    Etiquette* LblPositionFilm;
    Etiquette* Label5;
    Etiquette* LblNbFilm;
    // Where the film starts on its tape: where to wind it to watch the film.
    Etiquette* LblDebutBande;
    QPushButton* BtnPreviousFilm;
    QPushButton* BtnNextFilm;

    QToolButton* BtnListeFilm;
    QToolButton* BntAjouterFilm;
    QToolButton* BtnModifFilm;
    QToolButton* BtnEffacerFilm;
    QToolButton* BtnRechercheK7;
    QToolButton* BtnAjoutK7;
    QToolButton* BtnVisuK7;

    QMenuBar* BarreMenus;
    QMenu* MenuFichier;
    QMenu* MenuFilm;
    QMenu* MenuCassette;
    QMenu* MenuOption;
    QMenu* MenuDb;
    QMenu* MenuAide;
    QAction* MenuExporter;
    QAction* MenuQuitter;
    QAction* MenuListeFilm;
    QAction* MenuImprime;
    QAction* MenuAjouterFilm;
    QAction* MenuModifFilm;
    QAction* MenuEffacerFilm;
    QAction* MenuRechercheK7;
    QAction* MenuAjouterCassette;
    QAction* MenuEffacerCassette;
    QAction* MenuEtiquettes;
    QAction* MenuCompactDB;
    QAction* MenuRepairDb;
    QAction* MenuRestaurerDb;
    QAction* MenuAideEnLigne;
    QAction* MenuAPropos;

public slots:
    void BtnNextFilm_Click();
    void BtnPreviousFilm_Click();
    void MenuExporter_Click();
    void MenuQuitter_Click();
    void MenuListeFilm_Click();
    void MenuAjouterFilm_Click();
    void MenuModifFilm_Click();
    void MenuAjouterCassette_Click();
    void BtnEffacerFilm_Click();
    void MenuEffacerFilm_Click() { BtnEffacerFilm_Click(); }
    void MenuRechercheK7_Click();
    void MenuEffacerCassette_Click();
    void MenuImprime_Click();
    void MenuEtiquettes_Click();
    void MenuCompactDB_Click();
    void MenuRepairDb_Click();
    void MenuRestaurerDb_Click();
    void MenuAideEnLigne_Click();
    void MenuAPropos_Click();

protected:
    void Form_Load() override;
    void Form_Activate() override;
    bool Form_QueryUnload() override;
    // Escape does not close the main window: quitting is a command of its own.
    void reject() override {}
    // Left/Right and Page Up/Page Down browse as the "<" and ">" buttons do.
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void construireMenus();
    // True when the key is a browsing key, whether or not browsing is possible now.
    bool parcourir(const QKeyEvent* e);
    void construireBarreOutils();
    // What the film list tells: the film chosen in it, and its closing.
    void afficherFilm(qint64 IdFilm);
    void listeFermee(qint64 IdFilm, bool lue);
    void chargerAffiche(const QString& chemin);
    // The picture a film's poster shows, the placeholder when it cannot be read.
    QPixmap imageAffiche(const QString& chemin) const;
    bool m_catalogueOuvert = false;
    bool m_lectureSignalee = false;
    QString m_defautConnu;
    void chargerCatalogue();
    void signalerIllisible(const SourceDonnees& source);
};
