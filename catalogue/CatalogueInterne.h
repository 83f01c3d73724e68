#pragma once

// What the parts of the catalogue engine share among themselves, and no caller outside them:
// the tables' description, the opening checks and the steps common to compaction and repair.

#include "catalogue/Catalogue.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace Catalogue::Interne {

// Schema.cpp
struct Table {
    QString nom;
    QStringList champs;
};
const QList<Table>& tables();
const QHash<QString, QString>& nomsCanoniques();
// The schema written in one transaction, for a fresh file.
bool creerSchemaBrut(sqlite3* db, QString* erreur);

// ConnexionPartagee.cpp
QString nomLisible(const QString& chemin);
bool estFichierSqlite(const QString& chemin, QString* raison);
Ouverture verifierStructure(sqlite3* db, const QString& chemin);

// Maintenance.cpp
inline const QString NomReparation = QStringLiteral("R7Ozire.reparation.mdb");
QString catalogueReel(const QDir& dossier);
bool remplacer(const QString& source, const QString& cible, QString* erreur);
bool copieSaine(const QString& chemin, QString* raison);

// RemiseEnEtat.cpp
Remise remettreEnEtat(sqlite3* db, QString* erreur);

} // namespace Catalogue::Interne
