#include "catalogue/Pannes.h"

namespace Catalogue::Pannes {

namespace {
int g_cible = 0;
int g_ecritures = 0;
} // namespace

void programmer(int n) {
    g_cible = n;
    g_ecritures = 0;
}

int ecritures() {
    return g_ecritures;
}

bool autoriser() {
    ++g_ecritures;
    return g_cible == 0 || g_ecritures != g_cible;
}

QString message() {
    return QStringLiteral("écriture impossible sur le disque (panne simulée)");
}

} // namespace Catalogue::Pannes
