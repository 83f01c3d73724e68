#pragma once

#include <QStringList>

struct sqlite3;

namespace Catalogue {

// Every breach of the rules that tie films, placements and cassettes together, one French
// sentence each; empty when the catalogue is sound. Reads each table once.
QStringList verifierInvariants(sqlite3* db);

// The rules a single layout record keeps on its own (lengths, no adjacent or empty free
// stretches, well-formed fields); empty when the record is sound.
QStringList verifierStatus(const QString& Status, const QString& Duree);

} // namespace Catalogue
