#include "screens/common/Messages.h"

#include "catalogue/SourceDonnees.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace Messages {

namespace {
Repondeur& repondeur() {
    static Repondeur r;
    return r;
}

// Over the window the user is looking at, even before the window manager made it active.
QWidget* parent() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    QWidget* dernier = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow() && !qobject_cast<QMenu*>(w))
            dernier = w;
    }
    return dernier;
}
} // namespace

void setRepondeur(Repondeur r) {
    repondeur() = std::move(r);
}

namespace {
// The pointer is the user's while a box waits for an answer; a command's hourglass comes back
// after it, for the work that follows.
class PointeurLibre {
public:
    PointeurLibre() {
        while (const QCursor* c = QApplication::overrideCursor()) {
            m_formes.prepend(*c);
            QApplication::restoreOverrideCursor();
        }
    }
    ~PointeurLibre() {
        for (const QCursor& c : std::as_const(m_formes))
            QApplication::setOverrideCursor(c);
    }
    PointeurLibre(const PointeurLibre&) = delete;
    PointeurLibre& operator=(const PointeurLibre&) = delete;

private:
    QList<QCursor> m_formes;
};
} // namespace

Reponse MsgBox(const QString& texte, int style) {
    const PointeurLibre pointeur;
    if (repondeur())
        return repondeur()(texte, style);
    QMessageBox boite(parent());
    boite.setWindowTitle(QStringLiteral("Cassetron"));
    boite.setText(texte);
    const int boutons = style & 0x0F;
    switch (style & 0xF0) {
    case Critique:
        boite.setIcon(QMessageBox::Critical);
        break;
    case 32:
        boite.setIcon(QMessageBox::Question);
        break;
    case Exclamation:
        boite.setIcon(QMessageBox::Warning);
        break;
    case Information:
        boite.setIcon(QMessageBox::Information);
        break;
    default:
        boite.setIcon(QMessageBox::NoIcon);
    }
    if (boutons == OuiNon) {
        QPushButton* oui = boite.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        QPushButton* non = boite.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        boite.setDefaultButton(oui);
        boite.setEscapeButton(non);
        boite.exec();
        return boite.clickedButton() == oui ? Oui : Non;
    }
    QPushButton* ok = boite.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    boite.setDefaultButton(ok);
    boite.setEscapeButton(ok);
    boite.exec();
    return Ok;
}

QString texteCatalogueEndommage(const QString& chemin, const QString& raison) {
    return QStringLiteral("Le catalogue %1 est endommagé et ne peut pas être lu%2.\n\nLe menu Option, "
                          "Base de donnée, Réparer la base de donnée peut le remettre en état.")
        .arg(QDir::toNativeSeparators(chemin),
             raison.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(raison));
}

QString texteLectureImpossible(const SourceDonnees& source) {
    return texteCatalogueEndommage(source.DatabaseName(), source.Erreur());
}

void lectureImpossible(const SourceDonnees& source) {
    MsgBox(texteLectureImpossible(source), Critique);
}

} // namespace Messages
