#include "screens/common/Dialogues.h"

#include "screens/common/Appli.h"
#include "screens/common/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>

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

namespace {
QString libelle(const QString& filtre) {
    return filtre.section(QLatin1Char('|'), 0, 0).trimmed();
}
QSettings reglages() {
    return QSettings(QDir(Appli::dossier()).filePath(QString::fromLatin1(FichierReglages)),
                     QSettings::IniFormat);
}
void retenirDossier(const QString& filtre, const QString& chemin) {
    if (chemin.isEmpty())
        return;
    QSettings s = reglages();
    s.beginGroup(QStringLiteral("Dossiers"));
    s.setValue(libelle(filtre), QFileInfo(chemin).absolutePath());
}
} // namespace

QString dossierPropose(const QString& filtre) {
    QSettings s = reglages();
    s.beginGroup(QStringLiteral("Dossiers"));
    const QString dossier = s.value(libelle(filtre)).toString();
    return !dossier.isEmpty() && QFileInfo(dossier).isDir() ? dossier : QString();
}

void setRepondeurFichier(RepondeurFichier r) {
    repondeurFichier() = std::move(r);
}

QString FichierOuvrir(QWidget* parent, const QString& filtre) {
    const QString chemin = repondeurFichier()
                               ? repondeurFichier()(filtre)
                               : QFileDialog::getOpenFileName(parent, QStringLiteral("Ouvrir"),
                                                              dossierPropose(filtre), filtreQt(filtre));
    retenirDossier(filtre, chemin);
    return chemin;
}

QString Dossier(QWidget* parent, const QString& genre) {
    QString dossier = repondeurFichier()
                          ? repondeurFichier()(genre)
                          : QFileDialog::getExistingDirectory(parent, genre, dossierPropose(genre));
    if (!dossier.isEmpty()) {
        // The folder itself, where a file's kind keeps the folder holding the file.
        QSettings s = reglages();
        s.beginGroup(QStringLiteral("Dossiers"));
        s.setValue(libelle(genre), QFileInfo(dossier).absoluteFilePath());
    }
    return dossier;
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
    const int barre = int(filtre.indexOf(QLatin1Char('|')));
    const QString motif = filtre.mid(barre + 1).split(QLatin1Char(';')).value(0).trimmed(); // "*.pdf"
    const QString extension = motif.mid(1);
    const QString dossier = dossierPropose(filtre);
    QString propose = dossier.isEmpty() ? nomPropose : QDir(dossier).filePath(nomPropose);
    for (;;) {
        // The dialog's own question would come before the extension is added, about another name.
        QString chemin =
            repondeurEnregistrement()
                ? repondeurEnregistrement()(filtre, propose)
                : QFileDialog::getSaveFileName(parent, QStringLiteral("Enregistrer"), propose,
                                               filtreQt(filtre), nullptr, QFileDialog::DontConfirmOverwrite);
        if (chemin.isEmpty())
            return chemin;
        if (extension.size() > 1 && !chemin.endsWith(extension, Qt::CaseInsensitive))
            chemin += extension;
        if (!QFileInfo::exists(chemin) ||
            Messages::MsgBox(QStringLiteral("Le fichier %1 existe déjà.\n\nVoulez-vous le remplacer ?")
                                 .arg(QDir::toNativeSeparators(chemin)),
                             Messages::Question) == Messages::Oui) {
            retenirDossier(filtre, chemin);
            return chemin;
        }
        propose = chemin;
    }
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
    imprimante.setPrintRange(selectionPossible && choix.selectionSeulement ? QPrinter::Selection
                                                                           : QPrinter::AllPages);
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
