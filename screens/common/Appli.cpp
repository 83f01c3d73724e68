#include "screens/common/Appli.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

namespace Appli {

namespace {
QString& dossierForce() {
    static QString d;
    return d;
}
} // namespace

QString dossier() {
    const QString d = dossierForce().isEmpty() ? QCoreApplication::applicationDirPath() : dossierForce();
    return QDir::cleanPath(d);
}

void setDossier(const QString& d) {
    dossierForce() = d;
}

void sablier() {
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void defaut() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void DoEvents() {
    QCoreApplication::processEvents();
}

namespace {
bool g_fin = false;
}

void Fin() {
    defaut();
    g_fin = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(0);
}

bool finDemandee() {
    return g_fin;
}

} // namespace Appli
