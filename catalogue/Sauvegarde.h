#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Copies of the catalogue kept in the folder "Sauvegardes" of the application folder, made at
// each start when the catalogue changed since the last copy; the newest ones are kept.
namespace Sauvegarde {

inline const QString NomDossier = QStringLiteral("Sauvegardes");
// Beside the catalogue, the copy being put in its place by a restore.
inline const QString NomRestauration = QStringLiteral("R7Ozire.restauration.mdb");

struct Resultat {
    bool faite = false; // a new copy was written
    QString fichier;    // its path
    QString erreur;     // French reason when a copy was needed but could not be made
    // Why the catalogue itself could not be read whole, when that stopped the copy: the user is
    // told about the catalogue and its repair rather than about the copy.
    QString catalogueIllisible;
};

// Copies the catalogue when it changed since the last copy. Uses the shared connection when it
// is open on this catalogue, else opens the file for writing, so that a write cut short by a
// crash is undone before the copy is taken.
Resultat sauvegarder(const QString& dossierAppli, int aGarder = 10);

// The copies, oldest first (by the time they were written).
QStringList copies(const QString& dossierAppli);

// Removes the copies a start or a restore left unfinished in Sauvegardes.
void oublierCopiesInterrompues(const QString& dossierAppli);

// A copy as the restore dialog shows it, read from the copy itself.
struct Copie {
    QString fichier;
    QDateTime ecrite; // when it was written
    bool lisible = false;
    qint64 films = 0;
    qint64 cassettes = 0;
};
// The copies, newest first.
QList<Copie> lister(const QString& dossierAppli);

struct Restauration {
    bool ok = false;
    QString message;        // French, for the user
    QString copieDuCourant; // where the replaced catalogue was kept
};
// Puts the copy in the catalogue's place. The catalogue must be closed. The current catalogue is
// first kept as a copy in Sauvegardes; no journal of the former file stays beside the new one.
Restauration restaurer(const QString& dossierAppli, const QString& copie);

} // namespace Sauvegarde
