#include "catalogue/Affiches.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Disque.h"
#include "catalogue/Pannes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace Catalogue::Affiches {

namespace {

const QString NomJournal = QStringLiteral(".journal-affiches");
// Where Disque::ecrire writes the journal before putting it in place.
const QString NomJournalProvisoire = NomJournal + QStringLiteral(".provisoire");
const QString EnTete = QStringLiteral("Cassetron affiches 1");

// The temporary copies, as mkstemps names them from ".nouvelle-XXXXXX.jpg": no user names a
// file so, and nothing else in the folder is ever removed unless a journal names it.
bool estProvisoire(const QString& nom) {
    static const QRegularExpression modele(QStringLiteral("^\\.nouvelle-[A-Za-z0-9]{6}\\.jpg$"));
    return modele.match(nom).hasMatch();
}

bool estAffiche(const QString& nom) {
    static const QRegularExpression modele(QStringLiteral("^[1-9][0-9]*\\.jpg$"));
    return modele.match(nom).hasMatch();
}

QString raisonSysteme() {
    return Disque::raisonSysteme(errno);
}

// A file that is already gone is not a failure.
bool supprimer(const QString& chemin, QString* erreur) {
    if (::unlink(QFile::encodeName(chemin).constData()) == 0 || errno == ENOENT)
        return true;
    *erreur = QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(chemin), raisonSysteme());
    return false;
}

bool renommer(const QString& source, const QString& cible, QString* erreur) {
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(cible).constData()) == 0)
        return true;
    *erreur = QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(cible), raisonSysteme());
    return false;
}

struct Contenu {
    qint32 marque = 0;
    QList<QPair<QString, QString>> installations; // temporary copy, poster
    QStringList suppressions;
};

// A journal is put in place whole by a rename; one that does not read as such was not written by
// Cassetron, and none of the names it holds is trusted.
bool lire(const QString& chemin, Contenu* c) {
    // Only a plain file: a tube of that name would hang the start.
    const int fd = Disque::ouvrirFichierOrdinaire(chemin);
    QFile f;
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (f.size() > (1 << 20))
        return false;
    const QStringList lignes = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (lignes.size() < 4 || lignes[0] != EnTete || lignes[lignes.size() - 2] != QLatin1String("fin") ||
        !lignes.last().isEmpty())
        return false;
    const QStringList marque = lignes[1].split(QLatin1Char(' '));
    bool ok = marque.size() == 2 && marque[0] == QLatin1String("marque");
    c->marque = ok ? marque[1].toInt(&ok) : 0;
    for (int i = 2; ok && i < lignes.size() - 2; ++i) {
        const QStringList l = lignes[i].split(QLatin1Char(' '));
        if (l.size() == 3 && l[0] == QLatin1String("installer") && estProvisoire(l[1]) && estAffiche(l[2]))
            c->installations.append({l[1], l[2]});
        else if (l.size() == 2 && l[0] == QLatin1String("supprimer") && estAffiche(l[1]))
            c->suppressions << l[1];
        else
            ok = false;
    }
    return ok;
}

// Settles a journal left in the folder: its command committed only if the catalogue holds its
// mark; then its changes are finished, else its copies go. The journal goes once settled.
bool regler(const QDir& d, Reprise* r) {
    // A journal not yet in place belongs to a command that never reached its commit.
    if (!supprimer(d.filePath(NomJournalProvisoire), &r->erreur))
        return false;
    const QString journal = d.filePath(NomJournal);
    if (!QFileInfo::exists(journal))
        return true;
    Contenu c;
    if (lire(journal, &c)) {
        qint32 marque = 0;
        QString erreur;
        if (!Catalogue::lireMarque(&marque, &erreur)) {
            r->erreur =
                QStringLiteral("le catalogue ne dit pas où en était la dernière commande (%1)").arg(erreur);
            return false;
        }
        r->journal = true;
        r->validee = marque == c.marque;
        bool ok = true;
        for (const auto& [provisoire, affiche] : std::as_const(c.installations)) {
            const QString source = d.filePath(provisoire);
            if (!r->validee)
                ok = supprimer(source, &r->erreur) && ok;
            else if (QFileInfo::exists(source)) // else it was put in place already
                ok = renommer(source, d.filePath(affiche), &r->erreur) && ok;
        }
        for (const QString& affiche : std::as_const(c.suppressions)) {
            if (r->validee)
                ok = supprimer(d.filePath(affiche), &r->erreur) && ok;
        }
        if (!ok)
            return false;
        Disque::synchroniser(d.path());
    }
    return supprimer(journal, &r->erreur);
}

} // namespace

QString dossier(const QString& cheminAppli) {
    return QDir(cheminAppli).filePath(QStringLiteral("Affiche"));
}

QString fichier(const QString& cheminAppli, qint64 IdFilm) {
    return QDir(dossier(cheminAppli)).filePath(QStringLiteral("%1.jpg").arg(IdFilm));
}

Copie::~Copie() {
    if (!m_provisoire.isEmpty())
        QFile::remove(m_provisoire);
}

bool Copie::preparer(const QString& source, const QString& dossierAffiches, QString* erreur) {
    const int entree = Disque::ouvrirFichierOrdinaire(source);
    if (entree < 0) {
        *erreur = QStringLiteral("l'affiche %1 ne peut pas être lue (%2)")
                      .arg(QDir::toNativeSeparators(source), raisonSysteme());
        return false;
    }
    const auto fermerEntree = qScopeGuard([entree] { ::close(entree); });
    if (!Catalogue::Pannes::autoriser()) {
        *erreur = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(Catalogue::Pannes::message());
        return false;
    }
    if (QFileInfo::exists(dossierAffiches) && !QFileInfo(dossierAffiches).isDir()) {
        *erreur = QStringLiteral("le dossier des affiches %1 est un fichier et non un dossier ; renommez ou "
                                 "déplacez ce fichier")
                      .arg(QDir::toNativeSeparators(dossierAffiches));
        return false;
    }
    QDir().mkpath(dossierAffiches);
    // Created by hand rather than through Qt: the system's reason for a refusal (a full disk, a
    // full table of files) is what the user needs to hear.
    QByteArray modele =
        QFile::encodeName(QDir(dossierAffiches).filePath(QStringLiteral(".nouvelle-XXXXXX.jpg")));
    const int sortie = ::mkstemps(modele.data(), 4);
    if (sortie < 0) {
        *erreur = QStringLiteral("la copie de l'affiche ne peut pas être créée dans le dossier %1 (%2)")
                      .arg(QDir::toNativeSeparators(dossierAffiches), raisonSysteme());
        return false;
    }
    const QString provisoire = QFile::decodeName(modele);
    // A poster is an ordinary file of the folder, readable as the user's other files are.
    ::fchmod(sortie, mode_t(Disque::modeFichierNeuf()));
    QString raison;
    char bloc[1 << 16];
    while (raison.isEmpty()) {
        const ssize_t lu = ::read(entree, bloc, sizeof bloc);
        if (lu < 0 && errno == EINTR)
            continue;
        if (lu < 0) {
            raison = QStringLiteral("l'affiche %1 ne peut pas être lue (%2)")
                         .arg(QDir::toNativeSeparators(source), raisonSysteme());
            break;
        }
        if (lu == 0)
            break;
        for (ssize_t fait = 0; fait < lu;) {
            const ssize_t n = ::write(sortie, bloc + fait, size_t(lu - fait));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    errno = ENOSPC;
                raison = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(raisonSysteme());
                break;
            }
            fait += n;
        }
    }
    // On the disk before the commit that makes it the film's poster.
    if (raison.isEmpty() && ::fsync(sortie) != 0)
        raison = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(raisonSysteme());
    if (::close(sortie) != 0 && raison.isEmpty())
        raison = QStringLiteral("l'affiche n'a pas pu être copiée (%1)").arg(raisonSysteme());
    if (!raison.isEmpty()) {
        ::unlink(modele.constData());
        *erreur = raison;
        return false;
    }
    m_provisoire = provisoire;
    return true;
}

bool Copie::installer(const QString& cible, QString* erreur) {
    if (m_provisoire.isEmpty())
        return true;
    // One step: the film's older poster, if any, stays until the new one replaces it.
    if (std::rename(QFile::encodeName(m_provisoire).constData(), QFile::encodeName(cible).constData()) != 0) {
        *erreur = raisonSysteme();
        return false;
    }
    m_provisoire.clear();
    return true;
}

// ---- the journal ----

Journal::Journal(const QString& cheminAppli) : m_dossier(dossier(cheminAppli)) {}

void Journal::installer(Copie& copie, qint64 IdFilm) {
    if (copie.prete())
        m_changements.append(
            {&copie, QFileInfo(copie.provisoire()).fileName(), QStringLiteral("%1.jpg").arg(IdFilm)});
}

void Journal::supprimer(qint64 IdFilm) {
    const QString nom = QStringLiteral("%1.jpg").arg(IdFilm);
    if (QFileInfo::exists(QDir(m_dossier).filePath(nom)))
        m_changements.append({nullptr, QString(), nom});
}

bool Journal::preparer(QString* erreur) {
    if (m_changements.isEmpty())
        return true;
    const QDir d(m_dossier);
    // A journal an earlier command could not finish is settled first: there is only one.
    Reprise reprise;
    if (!regler(d, &reprise)) {
        *erreur = QStringLiteral("les affiches de la commande précédente ne sont pas en ordre : %1")
                      .arg(reprise.erreur);
        return false;
    }
    qint32 marque = 0;
    if (!Catalogue::avancerMarque(&marque, erreur))
        return false;
    QString texte = EnTete + QStringLiteral("\nmarque %1\n").arg(marque);
    for (const Changement& c : std::as_const(m_changements)) {
        texte += c.copie ? QStringLiteral("installer %1 %2\n").arg(c.provisoire, c.cible)
                         : QStringLiteral("supprimer %1\n").arg(c.cible);
    }
    texte += QStringLiteral("fin\n");

    if (!Catalogue::Pannes::autoriser()) {
        *erreur = QStringLiteral("le journal des affiches n'a pas pu être écrit (%1)")
                      .arg(Catalogue::Pannes::message());
        return false;
    }
    // Whole or absent, as the settling of a journal left behind expects.
    const QString journal = d.filePath(NomJournal);
    QString raison;
    if (!Disque::ecrire(journal, texte.toUtf8(), &raison)) {
        // Had it got in place, it must go: the command will not commit.
        ::unlink(QFile::encodeName(journal).constData());
        *erreur = QStringLiteral("le journal des affiches n'a pas pu être écrit dans %1 (%2)")
                      .arg(QDir::toNativeSeparators(m_dossier), raison);
        return false;
    }
    m_ecrit = true;
    return true;
}

void Journal::abandonner() {
    if (m_ecrit)
        ::unlink(QFile::encodeName(QDir(m_dossier).filePath(NomJournal)).constData());
    m_ecrit = false;
}

bool Journal::terminer(QString* erreur) {
    if (!m_ecrit)
        return true;
    const QDir d(m_dossier);
    bool ok = true;
    for (const Changement& c : std::as_const(m_changements)) {
        QString raison;
        if (c.copie ? !c.copie->installer(d.filePath(c.cible), &raison)
                    : !Affiches::supprimer(d.filePath(c.cible), &raison)) {
            *erreur = raison;
            ok = false;
        }
    }
    if (!ok) {
        // The journal stays and names the copies still to install: they must stay too.
        for (const Changement& c : std::as_const(m_changements)) {
            if (c.copie)
                c.copie->m_provisoire.clear();
        }
        m_ecrit = false;
        return false;
    }
    Disque::synchroniser(m_dossier);
    abandonner();
    return true;
}

Reprise reprendre(const QString& cheminAppli) {
    Reprise r;
    const QDir d(dossier(cheminAppli));
    if (!d.exists())
        return r;
    if (!regler(d, &r)) {
        r.erreur = QStringLiteral("Les affiches de la dernière commande, interrompue, n'ont pas pu être "
                                  "remises en ordre : %1")
                       .arg(r.erreur);
        return r;
    }
    // Copies no journal names: their command stopped before its commit.
    // Only the temporary copies' names, unsorted: the folder holds a poster per film.
    const QStringList provisoires = d.entryList({QStringLiteral(".nouvelle-*.jpg")},
                                                QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& nom : provisoires) {
        QString sansSuite;
        if (estProvisoire(nom) && supprimer(d.filePath(nom), &sansSuite))
            ++r.provisoiresSupprimes;
    }
    return r;
}

} // namespace Catalogue::Affiches
