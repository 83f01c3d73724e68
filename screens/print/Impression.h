#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"

#include <array>
#include <functional>

class ApercuImpression;
class Etiquette;
class QPushButton;
class QRadioButton;
class QTextCursor;

// Sorted lists of the films, or of the cassettes with their films, written with their fonts into
// the print preview.
class Impression : public Feuille {
    Q_OBJECT
public:
    explicit Impression(QWidget* parent = nullptr);

    Etiquette* Label1;
    Etiquette* Label6;
    Etiquette* Label2;
    std::array<QRadioButton*, 6> CaseTri{};
    std::array<Etiquette*, 6> TriAsc{};
    std::array<Etiquette*, 6> TriDesc{};
    QPushButton* BtnAjouterFilm;
    QPushButton* BtnAnnuler;
    SourceDonnees DataFilm;
    SourceDonnees DataFilmK7;
    SourceDonnees DataK7;

    // Key N sorts ascending exactly when its up arrow shows.
    bool croissant(int Index) const;

    void EditeParTitre();
    void EditeParGenre();
    void EditeParDuree();
    void EditeParDate();
    void EditeParNumero();
    void EditeParTempsRestant();

    // The preview the last list was written into, while it is shown (tests read it there).
    ApercuImpression* apercu() const { return m_apercu; }

public slots:
    void TriAsc_Click(int Index);
    void TriDesc_Click(int Index);
    void BtnAjouterFilm_Click();
    void BtnAnnuler_Click();

protected:
    void Form_Load() override;

private:
    void editerFilms(int cle);
    void editerCassettes(int cle);
    void abandonner(const SourceDonnees& source);
    // Every placement of the catalogue, in one reading: false when one cannot be read.
    bool parcourirPlacements(const std::function<void()>& chacune);
    ApercuImpression* m_apercu = nullptr;
};
