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
} // namespace Outils
