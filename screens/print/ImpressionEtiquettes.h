#pragma once

#include "catalogue/SourceDonnees.h"
#include "screens/common/Feuille.h"
#include "screens/print/PlancheEtiquettes.h"

#include "screens/print/ApercuImpression.h"
class QComboBox;
class QPushButton;
class QRadioButton;

// Labels to stick on the cassettes: one cassette's or all of them, face or spine, previewed,
// printed or kept as PDF as the printed lists are.
class ImpressionEtiquettes : public Feuille {
    Q_OBJECT
public:
    explicit ImpressionEtiquettes(QWidget* parent = nullptr);

    QRadioButton* CaseUne;
    QComboBox* ComboK7;
    QRadioButton* CaseToutes;
    QRadioButton* CaseFace;
    QRadioButton* CaseTranche;
    QPushButton* BtnApercu;
    QPushButton* BtnImprimer;
    QPushButton* BtnPdf;
    QPushButton* BtnFermer;
    SourceDonnees DataK7;

    // The cassettes the labels are for, as chosen now, in order of number.
    QList<PlancheEtiquettes::Cassette> choisies() const;
    PlancheEtiquettes::Modele modele() const;
    // What the labels are, "Étiquettes de tranche": the name proposed for their PDF file.
    QString nom() const;
    // The preview while it is shown (tests read it there).
    ApercuImpression* apercu() const { return m_apercu; }

public slots:
    void BtnApercu_Click();
    void BtnImprimer_Click();
    void BtnPdf_Click();
    void BtnFermer_Click();

protected:
    void Form_Load() override;

private:
    ApercuImpression::Dessin dessin() const;
    QList<PlancheEtiquettes::Cassette> m_cassettes; // every cassette, read once when the screen opens
    ApercuImpression* m_apercu = nullptr;
};
