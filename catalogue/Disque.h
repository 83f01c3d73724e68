#pragma once

#include <QByteArray>
#include <QString>

// The steps that make what the program writes survive a power cut: data on the disk before the
// name that points at it, and names on the disk once changed.
namespace Catalogue::Disque {

// Puts on the disk what is already written to a file, or the names a folder holds.
bool synchroniser(const QString& chemin);

// Writes a small file whole or not at all: the bytes go to "<chemin>.provisoire" beside it, to the
// disk, then over the file by a rename, and the folder is synchronised. On failure the file holds
// its former content or the new one, never a mix, no temporary file is left, and raison says why.
bool ecrire(const QString& chemin, const QByteArray& octets, QString* raison);

} // namespace Catalogue::Disque
