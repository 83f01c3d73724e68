#include "catalogue/Disque.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Catalogue::Disque {

namespace {

QString raisonSysteme(int erreur) {
    return QString::fromLocal8Bit(std::strerror(erreur));
}

} // namespace

bool synchroniser(const QString& chemin) {
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    // Some file systems cannot synchronise a folder: its names are then as safe as they get.
    struct stat etat;
    if (!ok && errno == EINVAL && ::fstat(fd, &etat) == 0 && S_ISDIR(etat.st_mode))
        ok = true;
    const int erreur = errno;
    ::close(fd);
    errno = erreur;
    return ok;
}

bool ecrire(const QString& chemin, const QByteArray& octets, QString* raison) {
    const QByteArray provisoire = QFile::encodeName(chemin + QStringLiteral(".provisoire"));
    int erreur = 0;
    const int fd = ::open(provisoire.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        erreur = errno;
    for (qsizetype fait = 0; fd >= 0 && !erreur && fait < octets.size();) {
        const ssize_t n = ::write(fd, octets.constData() + fait, size_t(octets.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            erreur = n < 0 ? errno : EIO;
        else
            fait += n;
    }
    if (fd >= 0 && !erreur && ::fsync(fd) != 0)
        erreur = errno;
    if (fd >= 0 && ::close(fd) != 0 && !erreur)
        erreur = errno;
    if (!erreur && std::rename(provisoire.constData(), QFile::encodeName(chemin).constData()) != 0)
        erreur = errno;
    if (erreur) {
        ::unlink(provisoire.constData());
        *raison = raisonSysteme(erreur);
        return false;
    }
    if (!synchroniser(QFileInfo(chemin).absolutePath())) {
        *raison = raisonSysteme(errno);
        return false;
    }
    return true;
}

} // namespace Catalogue::Disque
