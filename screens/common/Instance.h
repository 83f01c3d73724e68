#pragma once

#include <QLockFile>
#include <QString>

// One program at a time on an application folder: two would each hold their own record sets of
// the one catalogue and overwrite each other's work. The lock is a file beside the catalogue,
// released when the program ends. Only a live Cassetron on this machine holds it: one left by a
// program that crashed, written on another machine or not readable at all is taken over.
class InstanceUnique {
public:
    explicit InstanceUnique(const QString& dossier);
    InstanceUnique(const InstanceUnique&) = delete;
    InstanceUnique& operator=(const InstanceUnique&) = delete;

    // False only when another running program holds the folder, or when the lock's name is taken
    // by something that cannot be replaced (a folder). A folder where no lock can be written
    // (read-only) does not stop the start: nothing can be saved there anyway, and the start-up
    // says so.
    bool acquise() const { return m_acquise; }
    // Why the start is refused, French, for a message box.
    QString refus() const { return m_refus; }
    static QString message();
    static QString nomFichier() { return QStringLiteral("R7Ozire.verrou"); }

private:
    bool tenuParUnAutre();

    QLockFile m_verrou;
    QString m_chemin;
    bool m_acquise = false;
    QString m_refus;
};
