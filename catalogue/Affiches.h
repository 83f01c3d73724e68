#pragma once

#include <QList>
#include <QString>

// Poster files: "Affiche/<IdFilm>.jpg" in the application folder, byte copies of the chosen image.
namespace Catalogue::Affiches {

QString dossier(const QString& cheminAppli);
QString fichier(const QString& cheminAppli, qint64 IdFilm);

// Copies a chosen poster beside the posters under a temporary name before the catalogue is
// changed; installer() puts it in place once the change is committed. A copy never installed is
// removed, so a failed command leaves no orphan poster and loses none.
class Copie {
public:
    Copie() = default;
    ~Copie();
    Copie(const Copie&) = delete;
    Copie& operator=(const Copie&) = delete;

    bool preparer(const QString& source, const QString& dossierAffiches, QString* erreur);
    bool installer(const QString& cible, QString* erreur);
    bool prete() const { return !m_provisoire.isEmpty(); }
    QString provisoire() const { return m_provisoire; }

private:
    friend class Journal; // keeps a copy its journal still names
    QString m_provisoire;
};

// The poster changes of one catalogue command, landing with its commit or not at all, even when
// the program is killed in between. Before the commit, the changes are written to a journal in
// the poster folder and the catalogue's mark moves on in the same transaction; after the commit
// they are carried out and the journal goes. A journal found later is settled by the mark: its
// command committed only if the catalogue holds the mark it names.
class Journal {
public:
    explicit Journal(const QString& cheminAppli);
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // After the commit, the copy becomes the film's poster (in place of an older one).
    void installer(Copie& copie, qint64 IdFilm);
    // After the commit, the film's poster goes (nothing is recorded when it has none).
    void supprimer(qint64 IdFilm);

    // In the command's transaction, right before the commit: settles a journal left behind, moves
    // the mark and writes the journal. Does nothing when no change was recorded.
    bool preparer(QString* erreur);
    // The commit failed: the journal goes (the copies go with their Copie).
    void abandonner();
    // The commit happened: the changes are carried out, then the journal goes. On failure the
    // journal stays, and the next start finishes the work.
    bool terminer(QString* erreur);

private:
    struct Changement {
        Copie* copie = nullptr; // null for a removal
        QString provisoire;     // names inside the poster folder
        QString cible;
    };
    QString m_dossier;
    QList<Changement> m_changements;
    bool m_ecrit = false;
};

// What the start found left behind by a program that stopped in the middle of a command.
struct Reprise {
    bool journal = false; // a journal was settled
    bool validee = false; // ... and its command had committed: its changes were finished
    int provisoiresSupprimes = 0;
    QString erreur; // French; empty when all is in order
};

// At start, once the catalogue is open and before any poster shows: finishes or undoes the poster
// changes of a command that was cut short, and removes the temporary copies no journal names.
Reprise reprendre(const QString& cheminAppli);

} // namespace Catalogue::Affiches
