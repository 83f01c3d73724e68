#pragma once

#include <QString>

#include <functional>

class SourceDonnees;

// Every message box of the program: a prompt, a style (0, 4, 16, 36, 48, 64) and the title
// "Cassetron". Tests answer the boxes through the seam instead of a person.
namespace Messages {

enum Style { Simple = 0, OuiNon = 4, Critique = 16, Question = 36, Exclamation = 48, Information = 64 };
enum Reponse { Ok = 1, Oui = 6, Non = 7 };

Reponse MsgBox(const QString& texte, int style = Simple);

using Repondeur = std::function<Reponse(const QString& texte, int style)>;
// Replaces the real box (tests); an empty function restores it.
void setRepondeur(Repondeur repondeur);

// What the user is told when the catalogue of a data source could not be read: the file, the
// engine's reason, and the menu command that salvages it.
QString texteLectureImpossible(const SourceDonnees& source);
QString texteCatalogueEndommage(const QString& chemin, const QString& raison);
// That text in a critical box.
void lectureImpossible(const SourceDonnees& source);

} // namespace Messages
