#include "screens/print/ApercuImpression.h"

#include "screens/common/Controles.h"
#include "screens/common/Dialogues.h"
#include "screens/common/Messages.h"
#include "screens/common/Unites.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintPreviewWidget>
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
// of their own holding only its number. A paragraph's lines may end with line separators.
std::unique_ptr<QTextDocument> aImprimer(const QTextDocument& liste) {
    std::unique_ptr<QTextDocument> doc(liste.clone());
    QTextBlock b = doc->lastBlock();
    while (b.isValid() && b.text().trimmed().isEmpty())
        b = b.previous();
    qsizetype fin = 0;
    if (b.isValid()) {
        const QString texte = b.text();
        fin = texte.size();
        for (qsizetype i = fin - 1; i >= 0 && texte[i].isSpace(); --i) {
            if (texte[i] == QChar::LineSeparator)
                fin = i;
        }
    }
    QTextCursor c(doc.get());
    c.setPosition(b.isValid() ? b.position() + fin : 0);
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

ApercuImpression::~ApercuImpression() = default;

void ApercuImpression::setDessin(Dessin dessin, const QString& objet) {
    m_dessin = std::move(dessin);
    m_objet = objet;
    TxtApercu->hide();
    if (!m_pages) {
        m_imprimantePages = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
        m_imprimantePages->setPageSize(QPageSize(QPageSize::A4));
        m_pages = new QPrintPreviewWidget(m_imprimantePages.get(), this);
        m_pages->setGeometry(TxtApercu->geometry());
        m_pages->setZoomMode(QPrintPreviewWidget::FitToWidth);
        connect(m_pages, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { m_dessin(*p); });
    }
    m_pages->updatePreview();
    m_pages->show();
}

ApercuImpression::Issue ApercuImpression::imprimer(QWidget* parent, const QString& objet, const Dessin& tout,
                                                   const Dessin& partie) {
    // Without a printer what was built can still be kept: the PDF button is there for it.
    if (Dialogues::Imprimantes().isEmpty()) {
        Messages::MsgBox(QStringLiteral("Aucune imprimante n'est installée, impossible d'imprimer !!\n\n"
                                        "Le bouton « Enregistrer en PDF… » garde %1 dans un fichier.")
                             .arg(objet),
                         Messages::Exclamation);
        return Abandon;
    }
    QPrinter imprimante(QPrinter::HighResolution);
    // A selected part is offered first; what the dialog says at its close is what prints.
    Dialogues::Impression choix;
    choix.selectionSeulement = bool(partie);
    if (!Dialogues::DialogueImpression(parent, imprimante, Dialogues::DrapeauAssembler, bool(partie), choix))
        return Abandon;
    imprimante.setCopyCount(choix.copies);
    imprimante.setCollateCopies(choix.assembler);
    const bool ecrit = (choix.selectionSeulement && partie) ? partie(imprimante) : tout(imprimante);
    // Printing into a file has no printer name: the file is where the pages go.
    const QString nom =
        imprimante.outputFileName().isEmpty() ? imprimante.printerName() : imprimante.outputFileName();
    if (!ecrit || imprimante.printerState() == QPrinter::Error ||
        imprimante.printerState() == QPrinter::Aborted) {
        Messages::MsgBox(
            QStringLiteral("L'impression vers %1 a échoué : vérifiez que l'imprimante est allumée et "
                           "prête, puis recommencez.")
                .arg(nom),
            Messages::Critique);
        return Echec;
    }
    Messages::MsgBox(QStringLiteral("Impression en cours vers ") + nom, Messages::Simple);
    return Imprime;
}

bool ApercuImpression::enregistrerPdf(QWidget* parent, const QString& nom, const QString& objet,
                                      const Dessin& dessin) {
    const QString chemin = Dialogues::FichierEnregistrer(parent, QStringLiteral("Documents PDF | *.pdf"),
                                                         nom + QStringLiteral(".pdf"));
    if (chemin.isEmpty())
        return false;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(chemin);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setDocName(nom);
    if (!dessin(pdf) || pdf.printerState() == QPrinter::Error || !QFileInfo(chemin).isFile()) {
        Messages::MsgBox(QStringLiteral("Le fichier %1 n'a pas pu être écrit : vérifiez le dossier choisi et "
                                        "la place sur le disque.")
                             .arg(QDir::toNativeSeparators(chemin)),
                         Messages::Critique);
        return false;
    }
    // "la liste" -> "La liste a été enregistrée", "les étiquettes" -> "Les étiquettes ont été enregistrées".
    const bool pluriel = objet.startsWith(QLatin1String("les "));
    QString sujet = objet;
    sujet[0] = sujet[0].toUpper();
    Messages::MsgBox(sujet +
                         (pluriel ? QStringLiteral(" ont été enregistrées dans ")
                                  : QStringLiteral(" a été enregistrée dans ")) +
                         QDir::toNativeSeparators(chemin),
                     Messages::Information);
    return true;
}

void ApercuImpression::BtnAjouterFilm_Click() {
    Dessin tout = m_dessin, partie;
    if (!m_dessin) {
        tout = [this](QPrinter& p) {
            aImprimer(*TxtApercu->document())->print(&p);
            return true;
        };
        const QTextCursor selection = TxtApercu->textCursor();
        if (selection.hasSelection())
            partie = [selection](QPrinter& p) {
                QTextDocument morceau;
                QTextCursor(&morceau).insertFragment(selection.selection());
                aImprimer(morceau)->print(&p);
                return true;
            };
    }
    if (imprimer(this, m_objet, tout, partie) == Imprime)
        Unload();
}

void ApercuImpression::BtnAnnuler_Click() {
    Unload();
}

void ApercuImpression::BtnPdf_Click() {
    enregistrerPdf(this, NomListe, m_objet, m_dessin ? m_dessin : Dessin([this](QPrinter& p) {
                       aImprimer(*TxtApercu->document())->print(&p);
                       return true;
                   }));
}
