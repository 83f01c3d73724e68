#include "screens/common/Dialogues.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace Dialogues {

namespace {
RepondeurFichier& repondeurFichier() {
    static RepondeurFichier r;
    return r;
}
RepondeurImpression& repondeurImpression() {
    static RepondeurImpression r;
    return r;
}
std::function<QStringList()>& listeImprimantes() {
    static std::function<QStringList()> f;
    return f;
}
std::function<QString()>& imprimanteSysteme() {
    static std::function<QString()> f;
    return f;
}
} // namespace

QString filtreQt(const QString& filtre) {
    const int barre = int(filtre.indexOf(QLatin1Char('|')));
    const QString libelle = (barre < 0 ? filtre : filtre.left(barre)).trimmed();
    QStringList motifs;
    for (const QString& m : filtre.mid(barre + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString motif = m.trimmed();
        motifs << motif;
        if (motif.toUpper() != motif)
            motifs << motif.toUpper();
    }
    return QStringLiteral("%1 (%2)").arg(libelle, motifs.join(QLatin1Char(' ')));
}

void setRepondeurFichier(RepondeurFichier r) {
    repondeurFichier() = std::move(r);
}

QString FichierOuvrir(QWidget* parent, const QString& filtre) {
    if (repondeurFichier())
        return repondeurFichier()(filtre);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Ouvrir"), QString(), filtreQt(filtre));
}

namespace {
RepondeurEnregistrement& repondeurEnregistrement() {
    static RepondeurEnregistrement r;
    return r;
}
} // namespace

void setRepondeurEnregistrement(RepondeurEnregistrement r) {
    repondeurEnregistrement() = std::move(r);
}

QString FichierEnregistrer(QWidget* parent, const QString& filtre, const QString& nomPropose) {
    QString chemin = repondeurEnregistrement()
                         ? repondeurEnregistrement()(filtre, nomPropose)
                         : QFileDialog::getSaveFileName(parent, QStringLiteral("Enregistrer"), nomPropose,
                                                        filtreQt(filtre));
    const int barre = int(filtre.indexOf(QLatin1Char('|')));
    const QString motif = filtre.mid(barre + 1).split(QLatin1Char(';')).value(0).trimmed(); // "*.pdf"
    const QString extension = motif.mid(1);
    if (!chemin.isEmpty() && extension.size() > 1 && !chemin.endsWith(extension, Qt::CaseInsensitive))
        chemin += extension;
    return chemin;
}

void setRepondeurImpression(RepondeurImpression r) {
    repondeurImpression() = std::move(r);
}

bool DialogueImpression(QWidget* parent, QPrinter& imprimante, int drapeaux, bool selectionPossible,
                        Impression& choix) {
    if (repondeurImpression())
        return repondeurImpression()(imprimante, drapeaux, choix);
    imprimante.setCollateCopies((drapeaux & DrapeauAssembler) != 0);
    QPrintDialog dialogue(&imprimante, parent);
    dialogue.setWindowTitle(QStringLiteral("Imprimer"));
    QAbstractPrintDialog::PrintDialogOptions options = dialogue.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, selectionPossible);
    dialogue.setOptions(options);
    if (dialogue.exec() != QDialog::Accepted)
        return false;
    choix.copies = imprimante.copyCount();
    choix.assembler = imprimante.collateCopies();
    choix.selectionSeulement = imprimante.printRange() == QPrinter::Selection;
    return true;
}

void setImprimantes(std::function<QStringList()> liste, std::function<QString()> systeme) {
    listeImprimantes() = std::move(liste);
    imprimanteSysteme() = std::move(systeme);
}

QStringList Imprimantes() {
    if (listeImprimantes())
        return listeImprimantes()();
    return QPrinterInfo::availablePrinterNames();
}

QString ImprimanteSysteme() {
    if (imprimanteSysteme())
        return imprimanteSysteme()();
    return QPrinterInfo::defaultPrinterName();
}

} // namespace Dialogues
