#include "screens/common/Instance.h"

#include <QDir>

InstanceUnique::InstanceUnique(const QString& dossier) : m_verrou(QDir(dossier).filePath(nomFichier())) {
    // Only a live holder counts: however long the first program has been open, the lock is its.
    m_verrou.setStaleLockTime(0);
    m_acquise = m_verrou.tryLock(0) || m_verrou.error() != QLockFile::LockFailedError;
}

QString InstanceUnique::message() {
    return QStringLiteral("Cassetron est déjà ouvert sur ce catalogue.\n\n"
                          "Utilisez la fenêtre déjà ouverte : deux Cassetron sur le même catalogue "
                          "effaceraient le travail l'un de l'autre.");
}
