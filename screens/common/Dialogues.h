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
// Upper-case extensions (.JPG, .FILM) match too.
QString FichierOuvrir(QWidget* parent, const QString& filtre);
// "Affiches de Films | *.jpg;*.bmp" -> "Affiches de Films (*.jpg *.JPG *.bmp *.BMP)"
QString filtreQt(const QString& filtre);
using RepondeurFichier = std::function<QString(const QString& filtre)>;
void setRepondeurFichier(RepondeurFichier r);

// The save dialog: the path chosen (with the filter's extension added when missing), "" when
// cancelled.
QString FichierEnregistrer(QWidget* parent, const QString& filtre, const QString& nomPropose);
using RepondeurEnregistrement = std::function<QString(const QString& filtre, const QString& nomPropose)>;
void setRepondeurEnregistrement(RepondeurEnregistrement r);

// The print dialog. Flag 16 ticks "collate". Returns false when the user cancels.
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
