#pragma once

#include "screens/common/Feuille.h"

#include <functional>
#include <memory>

class QPrinter;
class QPrintPreviewWidget;
class QPushButton;
class QTextEdit;

// The formatted list as it will print; printing happens here.
class ApercuImpression : public Feuille {
    Q_OBJECT
public:
    explicit ApercuImpression(QWidget* parent = nullptr);
    ~ApercuImpression() override;

    QTextEdit* TxtApercu;
    QPushButton* BtnAjouterFilm;
    QPushButton* BtnAnnuler;
    QPushButton* BtnPdf;
    // What the list is, "Films par titre": the name proposed for its PDF file.
    QString NomListe = QStringLiteral("Liste des films");

    // Pages drawn rather than written (the cassette labels): the preview shows them sheet by
    // sheet, and prints and saves them as drawn. False when the printer could not be written to.
    using Dessin = std::function<bool(QPrinter&)>;
    void setDessin(Dessin dessin, const QString& objet);

    // Printing and keeping as PDF as the buttons below do them, for a screen that offers them
    // without a preview. `objet` names what is printed in the messages ("la liste").
    enum Issue { Imprime, Abandon, Echec };
    // `partie`, when not null, is offered in the dialog as the selection to print instead.
    static Issue imprimer(QWidget* parent, const QString& objet, const Dessin& tout,
                          const Dessin& partie = {});
    static bool enregistrerPdf(QWidget* parent, const QString& nom, const QString& objet,
                               const Dessin& dessin);

public slots:
    void BtnAjouterFilm_Click();
    void BtnAnnuler_Click();
    // Writes the list, with its formats, to a PDF file the user chooses.
    void BtnPdf_Click();

private:
    Dessin m_dessin;
    QString m_objet = QStringLiteral("la liste");
    QPrintPreviewWidget* m_pages = nullptr;
    std::unique_ptr<QPrinter> m_imprimantePages;
};
