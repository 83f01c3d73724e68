#include "screens/common/Appli.h"

#include <QAbstractEventDispatcher>
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

namespace {
int g_portees = 0; // hourglass scopes open
}

Sablier::Sablier() {
    ++g_portees;
    sablier();
}

Sablier::~Sablier() {
    if (--g_portees == 0)
        defaut();
    else
        sablier(); // an explicit defaut() inside does not end the outer command
}

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The keys and clicks held back stay in the window system's queue, where the glib
    // dispatcher would leave them until the display sends something else: woken, the event loop
    // delivers them as soon as the command returns to it.
    if (QAbstractEventDispatcher* d = QCoreApplication::eventDispatcher())
        d->wakeUp();
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
