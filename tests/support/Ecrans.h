#pragma once

#include "screens/common/Messages.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Answers the program's message boxes and dialogs in place of a person. Answers are queued
// before the action; every box shown is recorded. A box nobody expected fails the running test
// at once instead of waiting for a click that never comes.
class Repondeur {
public:
    Repondeur();
    ~Repondeur();

    void attendre(Messages::Reponse reponse = Messages::Ok) { m_reponses.append(reponse); }
    void attendreFichier(const QString& chemin) { m_fichiers.append(chemin); }

    // Texts and styles shown so far.
    QStringList textes() const;
    QList<QPair<QString, int>> messages() const { return m_messages; }
    QString dernier() const { return m_messages.isEmpty() ? QString() : m_messages.last().first; }
    int restantes() const { return int(m_reponses.size() + m_fichiers.size()); }
    void effacer() { m_messages.clear(); }

private:
    QList<Messages::Reponse> m_reponses;
    QStringList m_fichiers;
    QList<QPair<QString, int>> m_messages;
};
