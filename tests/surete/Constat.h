#pragma once

// What a user finds at the next start of the program on an application folder, the same for the
// script that makes the reference states and for the test that kills it.

#include "catalogue/Affiches.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Sauvegarde.h"
#include "catalogue/Sqlite.h"
#include "screens/common/Dialogues.h"
#include "tests/support/DossierTest.h"
#include "tests/support/Sql.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <time.h>

namespace surete {

// Microseconds on the monotonic clock, shared by the script and the test that times its commands.
inline qint64 maintenant() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

struct Constat {
    QStringList problemes; // failed opening, damage, broken rules: each one a line
    QStringList etat;      // every row and every file the user would find
    Catalogue::Affiches::Reprise reprise;
};

// Files of the application folder the test harness writes itself.
inline const QStringList& fichiersDuBanc() {
    static const QStringList f = {QStringLiteral("journal"), QStringLiteral("sortie"),
                                  QStringLiteral("sources")};
    return f;
}

// The leftovers of a cut maintenance removed, the catalogue opened as the program opens it, the posters put
// right as the main window does before it shows one, then the checks (the engine's integrity check and the
// catalogue's rules, on the catalogue and on each copy) and the state: the file's pages, the rows of the
// three tables in rowid order and the key counters, the files of the folder, each poster with a hash of its
// bytes.
inline Constat constater(const QString& dossier) {
    Constat c;
    Catalogue::oublierCopiesInterrompues(dossier);
    Sauvegarde::oublierCopiesInterrompues(dossier);
    const Catalogue::Ouverture o = Catalogue::ouvrir(QDir(dossier).filePath(Catalogue::NomCatalogue));
    if (!o.ok()) {
        c.problemes << QStringLiteral("ouverture : ") + o.message;
        return c;
    }
    c.reprise = Catalogue::Affiches::reprendre(dossier);
    if (!c.reprise.erreur.isEmpty())
        c.problemes << QStringLiteral("reprise : ") + c.reprise.erreur;
    c.problemes << Catalogue::verifierIntegrite(QDir(dossier).filePath(Catalogue::NomCatalogue));
    // The file's pages too: compaction changes no row, only them.
    c.etat << executerSql(QStringLiteral("SELECT 'pages:' || page_count || ' libres:' || freelist_count FROM "
                                         "pragma_page_count, pragma_freelist_count"))
                  .value(0)
                  .toString()
           << DossierTest::tout();
    const QDir d(dossier);
    // The engine's rollback journal may stay behind, cold (without its magic number), when a
    // transaction stopped before it touched the catalogue; the next commit removes it. A hot one
    // would have been played back by the opening.
    const QString journalMoteur = Catalogue::NomCatalogue + QStringLiteral("-journal");
    QFile moteur(d.filePath(journalMoteur));
    if (moteur.open(QIODevice::ReadOnly) && moteur.read(8) == QByteArray::fromHex("d9d505f920a163d7"))
        c.problemes << QStringLiteral("journal du moteur encore chaud");
    const auto tout = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString& nom : d.entryList(tout, QDir::Name)) {
        // The folders the file dialogs keep are no part of the catalogue.
        const bool reglages = nom.startsWith(QLatin1String(Dialogues::FichierReglages));
        if (!fichiersDuBanc().contains(nom) && nom != QLatin1String("Affiche") && nom != journalMoteur &&
            nom != Sauvegarde::NomDossier && !reglages)
            c.etat << QStringLiteral("dossier:") + nom;
    }
    // The copies, each a whole catalogue, told by the rows they hold (their names and times differ
    // from run to run); a state already kept adds nothing. Nothing else but the marker may stay.
    QStringList copies;
    const QDir sauvegardes(d.filePath(Sauvegarde::NomDossier));
    for (const QString& nom : sauvegardes.entryList(tout, QDir::Name)) {
        if (nom == QLatin1String("derniere-copie.txt"))
            continue;
        if (!nom.endsWith(QLatin1String(".mdb"))) {
            c.etat << QStringLiteral("sauvegardes:") + nom;
            continue;
        }
        const QStringList probleme = Catalogue::verifierIntegrite(sauvegardes.filePath(nom));
        if (!probleme.isEmpty()) {
            c.problemes << QStringLiteral("copie %1 : %2").arg(nom, probleme.join(QLatin1String("; ")));
            continue;
        }
        Catalogue::Sqlite::Connexion copie(sauvegardes.filePath(nom), SQLITE_OPEN_READONLY);
        const QByteArray lignes = DossierTest::tout(copie.db()).join(QLatin1Char('\n')).toUtf8();
        copies << QStringLiteral("copie:") +
                      QString::fromLatin1(QCryptographicHash::hash(lignes, QCryptographicHash::Sha1).toHex());
    }
    copies.sort();
    copies.removeDuplicates();
    c.etat << copies;
    const QDir affiches(Catalogue::Affiches::dossier(dossier));
    for (const QString& nom : affiches.entryList(tout, QDir::Name)) {
        QFile f(affiches.filePath(nom));
        const QByteArray octets = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("illisible");
        c.etat << QStringLiteral("affiche:%1 %2")
                      .arg(nom, QString::fromLatin1(
                                    QCryptographicHash::hash(octets, QCryptographicHash::Sha1).toHex()));
    }
    return c;
}

} // namespace surete
