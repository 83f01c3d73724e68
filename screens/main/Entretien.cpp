#include "screens/main/Entretien.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Sauvegarde.h"
#include "screens/auxiliary/Introduction.h"
#include "screens/common/Appli.h"
#include "screens/common/Etiquettes.h"
#include "screens/common/Messages.h"
#include "screens/main/ChoixCopie.h"
#include "screens/main/Moniteur.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

const QString VerifierFichier =
    QStringLiteral("Vérifier l'intégrité du fichier R7Ozire.mdb présent dans le répertoire de l'application");

// The notice of a maintenance command, which has the catalogue closed until the program ends:
// nothing of the main window may be used meanwhile.
Fermeture* ouvrirFermeture(Moniteur& m) {
    m.setEnabled(false);
    auto* fermeture = new Fermeture;
    fermeture->setWindowModality(Qt::ApplicationModal);
    fermeture->Show();
    return fermeture;
}

void fermerCatalogue(Moniteur& m) {
    for (SourceDonnees* s : {&m.DataFilm, &m.DataK7, &m.DataFilmK7})
        s->CloseDatabase();
}

// A command that ends the program with no message would flash its notice too briefly to be read,
// and the program would seem to crash. The user cannot act meanwhile: the notice is modal.
void laisserLireAvis(const QElapsedTimer& avisMontre) {
    const qint64 reste = Moniteur::LectureAvis - avisMontre.elapsed();
    if (reste <= 0)
        return;
    QEventLoop attente;
    QTimer::singleShot(int(reste), &attente, &QEventLoop::quit);
    attente.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

namespace Entretien {

void compacter(Moniteur& m) {
    auto* fermeture = ouvrirFermeture(m);
    QElapsedTimer avisMontre;
    avisMontre.start();
    Appli::DoEvents();
    fermerCatalogue(m);
    fermeture->LblFermeture->setText(
        QStringLiteral("Compactage de la base de donnée et fermeture de l'application"));
    Appli::DoEvents();
    const Catalogue::Resultat r = Catalogue::compacter(m.CheminAppli);
    if (!r.ok)
        Messages::MsgBox(QStringLiteral("Erreur survenue lors du compactage de la base de donnée !\n\n") +
                             VerifierFichier + QStringLiteral("\n\n") + r.message,
                         Messages::Critique);
    else
        laisserLireAvis(avisMontre);
    fermeture->Unload();
    Appli::Fin();
}

void reparer(Moniteur& m) {
    auto* fermeture = ouvrirFermeture(m);
    fermeture->setWindowTitle(QStringLiteral("Restauration de la base de donnée"));
    Appli::sablier();
    Appli::DoEvents();
    fermerCatalogue(m);
    fermeture->LblFermeture->setText(QStringLiteral("Restauration de la base de donnée"));
    Appli::DoEvents();
    const Catalogue::Reparation reparation = Catalogue::reparer(m.CheminAppli);
    if (!reparation.ok) {
        Appli::defaut();
        Messages::MsgBox(
            QStringLiteral("Erreur survenue lors de la restauration de la base de donnée !\n\n") +
                VerifierFichier + QStringLiteral("\n\n") + reparation.message,
            Messages::Critique);
        fermeture->Unload();
        Appli::Fin();
        return;
    }
    fermeture->LblFermeture->setText(
        QStringLiteral("Compactage de la base de donnée et fermeture de l'application"));
    Appli::DoEvents();
    const Catalogue::Resultat compactage = Catalogue::compacter(m.CheminAppli);
    Appli::defaut();
    if (compactage.ok)
        Messages::MsgBox(reparation.message +
                             (reparation.sain ? QStringLiteral(" Il a été compacté.") : QString()),
                         Messages::Information);
    else
        Messages::MsgBox(QStringLiteral("Erreur survenue lors du compactage de la base de donnée !\n\n") +
                             VerifierFichier + QStringLiteral("\n\n") + compactage.message +
                             QStringLiteral("\n\n") + reparation.message,
                         Messages::Critique);
    fermeture->Unload();
    Appli::Fin();
}

void restaurerCopie(Moniteur& m) {
    const QString copie = ChoixCopie::choisir(&m, m.CheminAppli);
    if (copie.isEmpty())
        return;
    auto* fermeture = ouvrirFermeture(m);
    fermeture->setWindowTitle(QStringLiteral("Restauration d'une copie de sauvegarde"));
    Appli::sablier();
    Appli::DoEvents();
    fermerCatalogue(m);
    fermeture->LblFermeture->setText(
        QStringLiteral("Restauration de la copie de sauvegarde et fermeture de l'application"));
    Appli::DoEvents();
    const Sauvegarde::Restauration r = Sauvegarde::restaurer(m.CheminAppli, copie);
    Appli::defaut();
    Messages::MsgBox(
        r.ok ? r.message + QStringLiteral("\n\nCassetron va maintenant se fermer : relancez-le pour "
                                          "travailler sur le catalogue restauré.")
             : QStringLiteral("La copie de sauvegarde n'a pas pu être restaurée.\n\n") + r.message,
        r.ok ? Messages::Information : Messages::Critique);
    fermeture->Unload();
    Appli::Fin();
}

} // namespace Entretien
