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

QString raisonSysteme(int erreur) {
    switch (erreur) {
    case ENOSPC: // also when the disk's table of files is full, though bytes remain
        return QStringLiteral("le disque est plein (ou sa table des fichiers est pleine)");
    case EDQUOT:
        return QStringLiteral("votre quota sur le disque est épuisé");
    case EFBIG:
        return QStringLiteral("le fichier dépasse la taille permise, le disque est plein pour lui");
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule");
    case ENOENT:
        return QStringLiteral("le fichier ou le dossier n'existe pas");
    case ENOTDIR:
        return QStringLiteral("un élément du chemin n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("c'est un dossier et non un fichier");
    case EEXIST:
        return QStringLiteral("un fichier de ce nom existe déjà");
    case EIO:
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case ENAMETOOLONG:
        return QStringLiteral("le nom du fichier est trop long");
    case ELOOP:
        return QStringLiteral("trop de liens symboliques s'enchaînent");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("trop de fichiers sont ouverts");
    case ENOMEM:
        return QStringLiteral("mémoire insuffisante");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("le fichier est occupé par un autre programme");
    case EXDEV:
        return QStringLiteral("le fichier et sa destination sont sur deux disques différents");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("ce n'est pas un fichier ordinaire");
    case 0:
        return QStringLiteral("erreur inconnue");
    default:
        return QStringLiteral("erreur système n° %1").arg(erreur);
    }
}

unsigned int modeFichierNeuf() {
    const mode_t masque = ::umask(0);
    ::umask(masque);
    return 0666 & ~masque;
}

int ouvrirFichierOrdinaire(const QString& chemin) {
    // Non-blocking, so that opening a tube does not wait for a writer; checked on what was opened.
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat etat;
    if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        ::close(fd);
        errno = ENXIO;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

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
    const int fd = ::open(provisoire.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
