#pragma once

#include <QString>
#include <QStringList>

// Copies of the catalogue kept in the folder "Sauvegardes" of the application folder, made at
// each start when the catalogue changed since the last copy; the newest ones are kept.
namespace Sauvegarde {

inline const QString NomDossier = QStringLiteral("Sauvegardes");

struct Resultat {
    bool faite = false; // a new copy was written
    QString fichier;    // its path
    QString erreur;     // French reason when a copy was needed but could not be made
};

Resultat sauvegarder(const QString& dossierAppli, int aGarder = 10);

// The copies, oldest first.
QStringList copies(const QString& dossierAppli);

} // namespace Sauvegarde
