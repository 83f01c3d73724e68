#pragma once

#include <QLockFile>
#include <QString>

// One program at a time on an application folder: two would each hold their own record sets of
// the one catalogue and overwrite each other's work. The lock is a file beside the catalogue,
// released when the program ends; one left by a program that crashed is taken over.
class InstanceUnique {
public:
    explicit InstanceUnique(const QString& dossier);
    InstanceUnique(const InstanceUnique&) = delete;
    InstanceUnique& operator=(const InstanceUnique&) = delete;

    // False only when another running program holds the folder. A folder where no lock can be
    // written (read-only) does not stop the start: nothing can be saved there anyway, and the
    // start-up says so.
    bool acquise() const { return m_acquise; }
    static QString message();
    static QString nomFichier() { return QStringLiteral("R7Ozire.verrou"); }

private:
    QLockFile m_verrou;
    bool m_acquise = false;
};
