#include "screens/common/Instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

InstanceUnique::InstanceUnique(const QString& dossier)
    : m_verrou(QDir(dossier).filePath(nomFichier())), m_chemin(QDir(dossier).filePath(nomFichier())) {
    // Only a live holder counts: however long the first program has been open, the lock is its.
    // So no age makes a lock stale; who holds it is checked instead.
    m_verrou.setStaleLockTime(0);
    // A tube or a link of that name would hang or mislead the reading of the lock: no program
    // of ours left it there.
    struct stat etat;
    const QByteArray nom = QFile::encodeName(m_chemin);
    if (::lstat(nom.constData(), &etat) == 0 && !S_ISREG(etat.st_mode) && !S_ISDIR(etat.st_mode))
        ::unlink(nom.constData());
    if (m_verrou.tryLock(0) || m_verrou.error() != QLockFile::LockFailedError) {
        m_acquise = true;
        return;
    }
    if (::lstat(nom.constData(), &etat) == 0 && S_ISDIR(etat.st_mode)) {
        m_refus = QStringLiteral("Un dossier nommé %1 occupe la place du verrou de Cassetron.\n\n"
                                 "Supprimez ou renommez ce dossier, puis relancez Cassetron.")
                      .arg(QDir::toNativeSeparators(m_chemin));
        return;
    }
    if (tenuParUnAutre()) {
        m_refus = message();
        return;
    }
    // Empty, unreadable, from another machine, or its program is gone: nobody holds it.
    m_verrou.removeStaleLockFile();
    QFile::remove(m_chemin);
    m_acquise = m_verrou.tryLock(0) || m_verrou.error() != QLockFile::LockFailedError;
    if (!m_acquise)
        m_refus = message(); // another start took it in between
}

// A live Cassetron on this machine: the lock names this machine, a running process and this
// program, and that process (when the system lets us see it) runs the same executable.
bool InstanceUnique::tenuParUnAutre() {
    qint64 pid = 0;
    QString machine;
    QString programme;
    if (!m_verrou.getLockInfo(&pid, &machine, &programme) || pid <= 0)
        return false;
    if (machine != QSysInfo::machineHostName() || programme != QCoreApplication::applicationName())
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    const QString executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (executable.isEmpty())
        return true;
    return QFileInfo(executable).fileName() == QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString InstanceUnique::message() {
    return QStringLiteral("Cassetron est déjà ouvert sur ce catalogue.\n\n"
                          "Utilisez la fenêtre déjà ouverte : deux Cassetron sur le même catalogue "
                          "effaceraient le travail l'un de l'autre.");
}
