#pragma once

#include <QString>

// Poster files: "Affiche/<IdFilm>.jpg" in the application folder, byte copies of the chosen image.
namespace Affiches {

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

private:
    QString m_provisoire;
};

} // namespace Affiches
