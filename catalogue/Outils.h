#pragma once

#include <QString>

// Clock times "HH:MM:SS" and texts made of separated fields. Pure functions.
namespace Outils {
QString ExtraitElement(const QString& Texte, int Numero, const QString& Separateur);
QString RemplaceTexte(const QString& Texte, const QString& Nouveau, const QString& Ancien);
QString RemplaceElement(const QString& Texte, int Numero, const QString& Nouveau, const QString& Separateur);
int ChercheElement(const QString& Texte, const QString& Element, const QString& Separateur);
QString SecondesEnHeure(int Secondes);
int HeureEnSecondes(const QString& Heure);
int EcartSecondes(const QString& Debut, const QString& Fin);
bool VerifieFormat(const QString& Texte, const QString& Masque);

// A length as a person says it: its largest unit and the next one, the next only when not zero,
// smaller ones left out (never more than there is): "2 h", "1 h 05", "45 min", "1 min 30 s",
// "30 s". Nothing below zero.
QString DureeEnClair(int Secondes);

// A duration the forms accept: "HH:MM:SS" by the mask and a time of day (hours 0-23, minutes
// and seconds 0-59).
bool EstHeureValide(const QString& Texte);

// The text on one line: each line break (CR LF as one, CR, LF, vertical tab, form feed, NEL,
// U+2028, U+2029) becomes one blank. A title never holds a break: it would split the layout
// record's display, the bar and the printed lines.
QString SurUneLigne(const QString& Texte);

// The text as a search compares it: lower case, accents dropped, "œ" and "æ" written out ("L'Été"
// and "l'ete", "Cœur" and "coeur" fold alike).
QString Replie(const QString& Texte);
// The same, appended to Cible: one key made of several fields costs one allocation.
void AjouteReplie(QStringView Texte, QString* Cible);
} // namespace Outils
