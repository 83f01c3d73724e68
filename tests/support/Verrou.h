#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

// Makes a file or a folder refuse writes for the length of a test. Permission bits do not stop
// root, so as root the immutable attribute is used, where the file system has it.
class Verrou {
public:
    explicit Verrou(const QString& chemin) : m_chemin(chemin), m_droits(QFile::permissions(chemin)) {
        if (::geteuid() == 0)
            m_attribut = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), chemin}) == 0;
        else
            QFile::setPermissions(chemin, m_droits & ~(QFile::WriteOwner | QFile::WriteUser |
                                                       QFile::WriteGroup | QFile::WriteOther));
    }
    ~Verrou() { lever(); }
    Verrou(const Verrou&) = delete;
    Verrou& operator=(const Verrou&) = delete;

    // False when nothing here can make the path refuse writes (root without the attribute).
    bool actif() const { return ::access(QFile::encodeName(m_chemin).constData(), W_OK) != 0; }
    void lever() {
        if (m_attribut)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_chemin});
        m_attribut = false;
        QFile::setPermissions(m_chemin, m_droits);
    }

private:
    QString m_chemin;
    QFile::Permissions m_droits;
    bool m_attribut = false;
};
