#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QWidget;

// The common dialogs: choosing a file to open, choosing how to print, and the printers.
// Each has a seam so that tests answer in place of a person.
namespace Dialogues {

// Filter as the screens write it, "Label | *.a;*.b"; returns the chosen path, "" when cancelled.
// Upper-case extensions (.JPG, .FILM) match too. Each kind of file (the filter's label) has its
// own folder, kept from one run to the next: a dialog opens where the last file of its kind was
// chosen.
QString FichierOuvrir(QWidget* parent, const QString& filtre);
// The folder the dialog of that filter opens in, "" when none was kept (or it is gone).
QString dossierPropose(const QString& filtre);
// The file, in the application folder, that keeps those folders.
constexpr const char* FichierReglages = "Cassetron.ini";
// "Affiches de Films | *.jpg;*.bmp" -> "Affiches de Films (*.jpg *.JPG *.bmp *.BMP)"
QString filtreQt(const QString& filtre);
using RepondeurFichier = std::function<QString(const QString& filtre)>;
void setRepondeurFichier(RepondeurFichier r);
// Choosing a folder, kept like a file's under the label `genre`: the folder chosen, "" when
// cancelled. Tests answer through the file answerer, given `genre`.
QString Dossier(QWidget* parent, const QString& genre);

// The save dialog, opened on nomPropose in the folder kept for the filter: the path chosen (with
// the filter's extension added when missing), "" when cancelled. Replacing an existing file is
// asked first; "Non" opens the dialog again. Tests answer with nomPropose given as a full path.
QString FichierEnregistrer(QWidget* parent, const QString& filtre, const QString& nomPropose);
using RepondeurEnregistrement = std::function<QString(const QString& filtre, const QString& nomPropose)>;
void setRepondeurEnregistrement(RepondeurEnregistrement r);

// The print dialog. Flag 16 ticks "collate"; the range opens on the selection when one is possible
// and choix.selectionSeulement says so. Returns false when the user cancels.
struct Impression {
    int copies = 1;
    bool assembler = false;
    bool selectionSeulement = false;
};
constexpr int DrapeauAssembler = 16;
bool DialogueImpression(QWidget* parent, QPrinter& imprimante, int drapeaux, bool selectionPossible,
                        Impression& choix);
// Tests answer in place of the person, and may point the printer at a PDF file.
using RepondeurImpression = std::function<bool(QPrinter& imprimante, int drapeaux, Impression& choix)>;
void setRepondeurImpression(RepondeurImpression r);

// Installed printers and the system (default) printer's name.
QStringList Imprimantes();
QString ImprimanteSysteme();
void setImprimantes(std::function<QStringList()> liste, std::function<QString()> systeme);

} // namespace Dialogues
