#pragma once

#include <QByteArray>
#include <QString>

// The steps that make what the program writes survive a power cut: data on the disk before the
// name that points at it, and names on the disk once changed.
namespace Catalogue::Disque {

// What a system call's failure (errno) means, in French, for a message box.
QString raisonSysteme(int erreur);

// Puts on the disk what is already written to a file, or the names a folder holds.
bool synchroniser(const QString& chemin);

// Writes a small file whole or not at all: the bytes go to "<chemin>.provisoire" beside it, to the
// disk, then over the file by a rename, and the folder is synchronised. On failure the file holds
// its former content or the new one, never a mix, no temporary file is left, and raison says why.
bool ecrire(const QString& chemin, const QByteArray& octets, QString* raison);

// The mode a file the program creates should have: 0666 less the process's umask.
unsigned int modeFichierNeuf();

// Opens a file the program reads at start only when it is a plain file (or a link to one): a
// tube or a device of that name would hang the start. -1 otherwise, with errno set.
int ouvrirFichierOrdinaire(const QString& chemin);

} // namespace Catalogue::Disque
