#include "catalogue/Sauvegarde.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Sauvegarde {

namespace {

using Catalogue::Sqlite::Connexion;
using Catalogue::Sqlite::Requete;

// A digest of the catalogue file's bytes, to tell whether it changed since the last copy. Neither
// the engine's change counter nor the size will do: a compacted file starts its counter afresh.
// Four independent 64-bit lanes over 32-byte blocks keep it at memory speed on a large catalogue;
// it only has to notice a change, no one forges one.
class Empreinte {
public:
    void ajouter(const uchar* p, qint64 n) {
        m_taille += n;
        qint64 i = 0;
        for (; i + 32 <= n; i += 32) {
            for (int l = 0; l < 4; ++l)
                m_voies[l] = tour(m_voies[l], mot(p + i + 8 * l));
        }
        for (; i < n; ++i)
            m_voies[0] = tour(m_voies[0], p[i] + 0x100);
    }
    QString texte() const {
        QString t;
        for (quint64 v : m_voies)
            t += QStringLiteral("%1").arg(v, 16, 16, QLatin1Char('0'));
        return t + QLatin1Char('-') + QString::number(m_taille);
    }

private:
    static constexpr quint64 P1 = 11400714785074694791ULL;
    static constexpr quint64 P2 = 14029467366897019727ULL;
    static quint64 mot(const uchar* p) {
        quint64 m;
        std::memcpy(&m, p, 8);
        return m;
    }
    static quint64 tour(quint64 acc, quint64 m) {
        acc += m * P2;
        acc = (acc << 31) | (acc >> 33);
        return acc * P1;
    }
    quint64 m_voies[4] = {P1 + P2, P2, 0, 0 - P1};
    qint64 m_taille = 0;
};

// Read by blocks into one buffer: mapping a large file costs a page fault per page.
QString empreinte(const QString& fichier) {
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    Empreinte e;
    QByteArray bloc(1 << 18, Qt::Uninitialized);
    qint64 n;
    while ((n = f.read(bloc.data(), bloc.size())) > 0)
        e.ajouter(reinterpret_cast<const uchar*>(bloc.constData()), n);
    return n < 0 ? QString() : e.texte();
}

const QString Marque = QStringLiteral("derniere-copie.txt");
const QString Provisoire = QStringLiteral(".tmp");

QString lisible(const QString& chemin) {
    return QDir::toNativeSeparators(chemin);
}

QString dossierCopies(const QString& dossierAppli) {
    return QDir(dossierAppli).filePath(NomDossier);
}

// Named by the moment; a clock set back may give the name of an existing copy, which must stay.
QString nouveauNom(const QDir& dossier) {
    const QString moment = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString nom = QStringLiteral("R7Ozire-%1.mdb").arg(moment);
    for (int i = 2;
         QFileInfo::exists(dossier.filePath(nom)) || QFileInfo::exists(dossier.filePath(nom + Provisoire));
         ++i)
        nom = QStringLiteral("R7Ozire-%1-%2.mdb").arg(moment).arg(i);
    return dossier.filePath(nom);
}

// Copies a file's bytes into a new file `cible`, on the disk when done; the kernel moves them.
bool copierOctets(const QString& source, const QString& cible, QString* raison) {
    QFile::remove(cible);
    const int de = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    const int vers =
        de < 0 ? -1
               : ::open(QFile::encodeName(cible).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    int erreur = de < 0 || vers < 0 ? errno : 0;
    bool noyau = true;
    QByteArray bloc;
    while (!erreur) {
        ssize_t n = noyau ? ::copy_file_range(de, nullptr, vers, nullptr, 1 << 30, 0) : -1;
        if (n < 0 && noyau && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            noyau = false; // another file system, or an older kernel: by hand
            bloc.resize(1 << 18);
            continue;
        }
        if (!noyau) {
            n = ::read(de, bloc.data(), size_t(bloc.size()));
            for (ssize_t fait = 0, e = 0; n > 0 && fait < n; fait += e) {
                e = ::write(vers, bloc.constData() + fait, size_t(n - fait));
                if (e <= 0) {
                    n = -1;
                    break;
                }
            }
        }
        if (n < 0 && errno != EINTR)
            erreur = errno ? errno : EIO;
        if (n == 0)
            break;
    }
    if (!erreur && ::fsync(vers) != 0)
        erreur = errno;
    if (vers >= 0 && ::close(vers) != 0 && !erreur)
        erreur = errno;
    if (de >= 0)
        ::close(de);
    if (erreur) {
        *raison = QString::fromLocal8Bit(std::strerror(erreur));
        QFile::remove(cible);
        return false;
    }
    return true;
}

// A copy of the catalogue open as `db` (file `source`): its bytes, copied while a read
// transaction keeps any writer out, so that they are one committed state.
bool copierBase(sqlite3* db, const QString& source, const QString& cible, QString* raison) {
    const bool transaction = sqlite3_get_autocommit(db) != 0;
    if (transaction && !Catalogue::Sqlite::executer(db, QStringLiteral("BEGIN"), raison))
        return false;
    Requete lecture(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    bool ok = lecture.pas() == SQLITE_ROW;
    if (!ok)
        *raison = lecture.erreur();
    else
        ok = copierOctets(source, cible, raison);
    lecture.reinitialiser();
    if (transaction)
        Catalogue::Sqlite::executer(db, QStringLiteral("COMMIT"));
    return ok;
}

// Gives a finished temporary file its name, for good.
bool nommer(const QString& provisoire, const QString& cible, QString* raison) {
    if (std::rename(QFile::encodeName(provisoire).constData(), QFile::encodeName(cible).constData()) != 0) {
        *raison = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(provisoire);
        return false;
    }
    Catalogue::Disque::synchroniser(QFileInfo(cible).absolutePath());
    return true;
}

// A new copy in Sauvegardes from the open database; its path, empty on failure.
QString nouvelleCopie(const QString& dossierAppli, sqlite3* db, const QString& source, QString* raison) {
    const QString dossier = dossierCopies(dossierAppli);
    if (!QDir().mkpath(dossier)) {
        *raison = QStringLiteral("le dossier %1 ne peut pas être créé").arg(lisible(dossier));
        return {};
    }
    const QString cible = nouveauNom(QDir(dossier));
    const QString provisoire = cible + Provisoire;
    if (!copierBase(db, source, provisoire, raison) || !nommer(provisoire, cible, raison))
        return {};
    return cible;
}

// The marker names the state of the catalogue last kept and the copy that holds it.
bool ecrireMarque(const QString& dossierAppli, const QString& etat, const QString& copie, QString* raison) {
    const QString marque = QDir(dossierCopies(dossierAppli)).filePath(Marque);
    const QByteArray texte = (etat + QLatin1Char('\n') + QFileInfo(copie).fileName()).toUtf8();
    if (Catalogue::Disque::ecrire(marque, texte, raison))
        return true;
    // One naming a state no copy holds would skip that state's copy.
    QFile::remove(marque);
    return false;
}

bool dejaGarde(const QString& dossierAppli, const QString& etat) {
    const QDir dossier(dossierCopies(dossierAppli));
    QFile f(dossier.filePath(Marque));
    // Only a plain file is read: a tube of that name would hang the start.
    if (etat.isEmpty() || !QFileInfo(f.fileName()).isFile() || !f.open(QIODevice::ReadOnly))
        return false;
    const QStringList lignes = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    return lignes.size() == 2 && lignes[0] == etat && !lignes[1].isEmpty() &&
           QFileInfo(dossier.filePath(lignes[1])).isFile();
}

// The shared connection when it holds this catalogue, else one of our own.
sqlite3* connexionSur(const QString& catalogue, Connexion& propre) {
    if (Catalogue::estOuvert() && Catalogue::cheminOuvert() == QFileInfo(catalogue).absoluteFilePath())
        return Catalogue::base();
    propre.ouvrir(catalogue, SQLITE_OPEN_READWRITE);
    return propre.ouverte() ? propre.db() : nullptr;
}

// The first read rolls back what a crash left in the engine's journal; it needs write access.
bool recuperer(sqlite3* db, QString* raison) {
    Requete q(db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (q.pas() == SQLITE_ROW)
        return true;
    *raison = q.erreur();
    return false;
}

// The engine walks every page, which a copy of the bytes does not.
bool sain(sqlite3* db) {
    Requete q(db, QStringLiteral("PRAGMA quick_check"));
    return q.pas() == SQLITE_ROW && q.texte(0) == QLatin1String("ok");
}

} // namespace

QStringList copies(const QString& dossierAppli) {
    const QDir d(dossierCopies(dossierAppli));
    QFileInfoList infos = d.entryInfoList({QStringLiteral("R7Ozire-*.mdb")}, QDir::Files);
    std::stable_sort(infos.begin(), infos.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime ma = a.lastModified(), mb = b.lastModified();
        return ma != mb ? ma < mb : a.fileName() < b.fileName();
    });
    QStringList noms;
    for (const QFileInfo& i : infos)
        noms << i.filePath();
    return noms;
}

void oublierCopiesInterrompues(const QString& dossierAppli) {
    QDir d(dossierCopies(dossierAppli));
    for (const QString& nom :
         d.entryList({QStringLiteral("R7Ozire-*.mdb.tmp"), QStringLiteral("R7Ozire-*.mdb.tmp-journal"),
                      Marque + QStringLiteral(".provisoire")},
                     QDir::Files | QDir::Hidden))
        d.remove(nom);
    const QDir appli(dossierAppli);
    QFile::remove(appli.filePath(NomRestauration));
    QFile::remove(appli.filePath(NomRestauration + QStringLiteral("-journal")));
}

Resultat sauvegarder(const QString& dossierAppli, int aGarder) {
    Resultat r;
    oublierCopiesInterrompues(dossierAppli);
    const QString source = QDir(dossierAppli).filePath(Catalogue::NomCatalogue);
    if (!QFileInfo(source).isFile())
        return r; // nothing to keep yet
    Connexion propre;
    sqlite3* db = connexionSur(source, propre);
    QString raison;
    if (!db) {
        raison = propre.erreur();
        r.catalogueIllisible = raison;
    } else if (!recuperer(db, &raison)) {
        r.catalogueIllisible = raison;
    } else {
        const QString etat = empreinte(source);
        if (dejaGarde(dossierAppli, etat))
            return r; // unchanged since the last copy
        // A damaged catalogue is not copied: the copy would push out a good one.
        QString cible;
        if (!sain(db)) {
            raison = QStringLiteral("une partie du catalogue est illisible, il n'a pas été copié pour ne pas "
                                    "écarter une bonne copie");
            r.catalogueIllisible = QStringLiteral("une partie en est illisible");
        } else
            cible = nouvelleCopie(dossierAppli, db, source, &raison);
        // A copy the marker cannot record is undone, else each start would add one more of the
        // same state.
        if (!cible.isEmpty() && !ecrireMarque(dossierAppli, etat, cible, &raison)) {
            QFile::remove(cible);
            raison = QStringLiteral("le repère %1 ne peut pas être écrit (%2)")
                         .arg(lisible(QDir(dossierCopies(dossierAppli)).filePath(Marque)), raison);
        } else if (!cible.isEmpty()) {
            r.faite = true;
            r.fichier = cible;
        }
    }
    if (!r.faite) {
        r.erreur = raison;
        return r;
    }
    // The newest copies are kept, the one just written always: a clock set back gives it an
    // earlier time than those before it.
    QStringList autres = copies(dossierAppli);
    autres.removeAll(r.fichier);
    while (!autres.isEmpty() && autres.size() + 1 > aGarder)
        QFile::remove(autres.takeFirst());
    return r;
}

QList<Copie> lister(const QString& dossierAppli) {
    QList<Copie> liste;
    const QStringList fichiers = copies(dossierAppli);
    for (auto f = fichiers.crbegin(); f != fichiers.crend(); ++f) {
        Copie c;
        c.fichier = *f;
        c.ecrite = QFileInfo(*f).lastModified();
        Connexion cx(*f, SQLITE_OPEN_READONLY);
        if (cx.ouverte()) {
            Requete q(cx.db(),
                      QStringLiteral("SELECT (SELECT count(*) FROM Film), (SELECT count(*) FROM K7)"));
            if (q.pas() == SQLITE_ROW) {
                c.lisible = true;
                c.films = q.entier(0);
                c.cassettes = q.entier(1);
            }
        }
        liste << c;
    }
    return liste;
}

Restauration restaurer(const QString& dossierAppli, const QString& copie) {
    Restauration r;
    const QDir appli(dossierAppli);
    const QString catalogue = appli.filePath(Catalogue::NomCatalogue);
    const QString prete = appli.filePath(NomRestauration);
    const QString nomCopie = QFileInfo(copie).fileName();
    Catalogue::fermer();
    oublierCopiesInterrompues(dossierAppli);
    auto echec = [&](const QString& texte) {
        QFile::remove(prete);
        r.message = texte + QStringLiteral("\n\nLe catalogue n'a pas été changé.");
        return r;
    };

    // The copy must be a whole catalogue before anything is touched.
    {
        const Catalogue::Ouverture o = Catalogue::ouvrir(copie);
        Catalogue::fermer();
        if (!o.ok())
            return echec(o.message);
        Connexion c(copie, SQLITE_OPEN_READONLY);
        if (!sain(c.db()))
            return echec(
                QStringLiteral("La copie %1 est endommagée : une partie en est illisible.").arg(nomCopie));
    }

    // The current catalogue is kept first, so that it can be restored in its turn. Opened for
    // writing, a write a crash cut short is rolled back into it; a file the engine cannot read
    // is kept as it is.
    QString raison;
    if (QFileInfo(catalogue).isFile()) {
        Connexion actuel(catalogue, SQLITE_OPEN_READWRITE);
        QString lecture;
        if (actuel.ouverte() && recuperer(actuel.db(), &lecture)) {
            r.copieDuCourant = nouvelleCopie(dossierAppli, actuel.db(), catalogue, &raison);
        } else if (QDir().mkpath(dossierCopies(dossierAppli))) {
            const QString cible = nouveauNom(QDir(dossierCopies(dossierAppli)));
            if (copierOctets(catalogue, cible + Provisoire, &raison) &&
                nommer(cible + Provisoire, cible, &raison))
                r.copieDuCourant = cible;
        } else {
            raison = QStringLiteral("le dossier %1 ne peut pas être créé")
                         .arg(lisible(dossierCopies(dossierAppli)));
        }
        if (r.copieDuCourant.isEmpty())
            return echec(QStringLiteral("Le catalogue actuel n'a pas pu être mis de côté : %1.").arg(raison));
    }

    // The copy's content, beside the catalogue, on the disk.
    {
        Connexion c(copie, SQLITE_OPEN_READONLY);
        if (!c.ouverte() || !copierBase(c.db(), copie, prete, &raison))
            return echec(QStringLiteral("La copie %1 n'a pas pu être préparée : %2.")
                             .arg(nomCopie, raison.isEmpty() ? c.erreur() : raison));
    }
    // A journal left beside the former file would be played back onto the restored one. What
    // it had to undo was undone above, or the former file is kept as it was: it goes.
    const QString journal = catalogue + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) && !QFile::remove(journal))
        return echec(QStringLiteral("Le journal %1 ne peut pas être supprimé.").arg(lisible(journal)));
    if (!nommer(prete, catalogue, &raison))
        return echec(
            QStringLiteral("La copie %1 n'a pas pu remplacer le catalogue : %2.").arg(nomCopie, raison));

    // The restored state is the chosen copy's: the next start need not copy it again.
    QString sansImportance;
    ecrireMarque(dossierAppli, empreinte(catalogue), copie, &sansImportance);
    r.ok = true;
    r.message =
        QStringLiteral("Le catalogue a été remplacé par la copie du %1.\n\nLe catalogue remplacé a "
                       "été gardé dans %2.")
            .arg(QLocale(QLocale::French)
                     .toString(QFileInfo(copie).lastModified(), QStringLiteral("d MMMM yyyy 'à' HH:mm:ss")),
                 lisible(r.copieDuCourant));
    return r;
}

} // namespace Sauvegarde
