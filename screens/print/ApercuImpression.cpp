#include "screens/print/ApercuImpression.h"

#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <memory>

using Unites::pixels;

namespace {

// What prints of the list: without its closing empty lines, which would otherwise run onto a page
// of their own holding only its number.
std::unique_ptr<QTextDocument> aImprimer(const QTextDocument& liste) {
    std::unique_ptr<QTextDocument> doc(liste.clone());
    QTextBlock b = doc->lastBlock();
    while (b.isValid() && b.text().trimmed().isEmpty())
        b = b.previous();
    QTextCursor c(doc.get());
    c.setPosition(b.isValid() ? b.position() + b.length() - 1 : 0);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    return doc;
}

} // namespace

ApercuImpression::ApercuImpression(QWidget* parent) : Feuille(parent) {
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    setTailleInterieure(9600, 7800);
    TxtApercu = new QTextEdit(this);
    TxtApercu->setGeometry(pixels(120), pixels(120), pixels(9360), pixels(6840));
    TxtApercu->setReadOnly(true); // what prints is what the list says; selecting a part stays possible
    TxtApercu->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TxtApercu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BtnAjouterFilm = boutonOrange(this, QStringLiteral("OK"));
    BtnAjouterFilm->setGeometry(pixels(1320), pixels(7140), pixels(1800), pixels(450));
    BtnAjouterFilm->setDefault(true);
    BtnPdf = boutonOrange(this, QStringLiteral("Enregistrer en PDF…"));
    BtnPdf->setGeometry(pixels(3360), pixels(7140), pixels(2880), pixels(450));
    BtnAnnuler = boutonOrange(this, QStringLiteral("Annuler"));
    BtnAnnuler->setGeometry(pixels(6480), pixels(7140), pixels(1800), pixels(450));
    connect(BtnAjouterFilm, &QPushButton::clicked, this, &ApercuImpression::BtnAjouterFilm_Click);
    connect(BtnAnnuler, &QPushButton::clicked, this, &ApercuImpression::BtnAnnuler_Click);
    connect(BtnPdf, &QPushButton::clicked, this, &ApercuImpression::BtnPdf_Click);
}

void ApercuImpression::BtnAjouterFilm_Click() {
    // Without a printer the list can still be kept: the preview stays open on its PDF button.
    if (Dialogues::Imprimantes().isEmpty()) {
        Messages::MsgBox(QStringLiteral("Aucune imprimante n'est installée, impossible d'imprimer !!\n\n"
                                        "Le bouton « Enregistrer en PDF… » garde la liste dans un fichier."),
                         Messages::Exclamation);
        return;
    }
    QPrinter imprimante(QPrinter::HighResolution);
    const QTextCursor selection = TxtApercu->textCursor();
    // A selected part is offered first; what the dialog says at its close is what prints.
    Dialogues::Impression choix;
    choix.selectionSeulement = selection.hasSelection();
    if (!Dialogues::DialogueImpression(this, imprimante, Dialogues::DrapeauAssembler,
                                       selection.hasSelection(), choix))
        return;
    imprimante.setCopyCount(choix.copies);
    imprimante.setCollateCopies(choix.assembler);
    if (choix.selectionSeulement && selection.hasSelection()) {
        QTextDocument partie;
        QTextCursor(&partie).insertFragment(selection.selection());
        aImprimer(partie)->print(&imprimante);
    } else {
        aImprimer(*TxtApercu->document())->print(&imprimante);
    }
    // Printing into a file has no printer name: the file is where the list goes.
    const QString nom =
        imprimante.outputFileName().isEmpty() ? imprimante.printerName() : imprimante.outputFileName();
    if (imprimante.printerState() == QPrinter::Error || imprimante.printerState() == QPrinter::Aborted) {
        Messages::MsgBox(
            QStringLiteral("L'impression vers %1 a échoué : vérifiez que l'imprimante est allumée et "
                           "prête, puis recommencez.")
                .arg(nom),
            Messages::Critique);
        return;
    }
    Messages::MsgBox(QStringLiteral("Impression en cours vers ") + nom, Messages::Simple);
    Unload();
}

void ApercuImpression::BtnAnnuler_Click() {
    Unload();
}

void ApercuImpression::BtnPdf_Click() {
    const QString chemin = Dialogues::FichierEnregistrer(this, QStringLiteral("Documents PDF | *.pdf"),
                                                         NomListe + QStringLiteral(".pdf"));
    if (chemin.isEmpty())
        return;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(chemin);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setDocName(NomListe);
    aImprimer(*TxtApercu->document())->print(&pdf);
    if (pdf.printerState() == QPrinter::Error || !QFileInfo(chemin).isFile()) {
        Messages::MsgBox(QStringLiteral("Le fichier %1 n'a pas pu être écrit : vérifiez le dossier choisi et "
                                        "la place sur le disque.")
                             .arg(QDir::toNativeSeparators(chemin)),
                         Messages::Critique);
        return;
    }
    Messages::MsgBox(QStringLiteral("La liste a été enregistrée dans ") + QDir::toNativeSeparators(chemin),
                     Messages::Information);
}
