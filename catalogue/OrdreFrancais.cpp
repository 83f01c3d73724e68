#include "catalogue/Catalogue.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <sqlite3.h>
#include <unicode/ucol.h>

namespace Catalogue {

namespace {

int comparerFrancais(void* contexte, int l1, const void* s1, int l2, const void* s2) {
    const auto* collateur = static_cast<const QCollator*>(contexte);
    const QString a = QString::fromUtf8(static_cast<const char*>(s1), l1);
    const QString b = QString::fromUtf8(static_cast<const char*>(s2), l2);
    const int r = collateur->compare(a, b);
    if (r != 0)
        return r;
    // Equal for the user ("Alien", "alien"): still a total order, so sorts are repeatable.
    return QString::compare(a, b);
}

void detruireCollateur(void* contexte) {
    delete static_cast<QCollator*>(contexte);
}

// The French sort key of a text: ICU's collation key, then the text itself so that texts equal
// to the reader still come in one repeatable order. Keys are kept: a catalogue's titles change
// rarely and are sorted again and again.
struct CleFr {
    UCollator* icu = nullptr;
    QHash<QByteArray, QByteArray> cles;
};

void cleFrancaise(sqlite3_context* contexte, int, sqlite3_value** valeurs) {
    if (sqlite3_value_type(valeurs[0]) == SQLITE_NULL) {
        sqlite3_result_null(contexte);
        return;
    }
    auto* etat = static_cast<CleFr*>(sqlite3_user_data(contexte));
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_value_text(valeurs[0]));
    const int octets = sqlite3_value_bytes(valeurs[0]);
    auto it = etat->cles.constFind(QByteArray::fromRawData(utf8, octets));
    if (it == etat->cles.constEnd()) {
        const QString texte = QString::fromUtf8(utf8, octets);
        QByteArray cle(64 + 4 * texte.size(), Qt::Uninitialized);
        int32_t n =
            ucol_getSortKey(etat->icu, reinterpret_cast<const UChar*>(texte.utf16()), int32_t(texte.size()),
                            reinterpret_cast<uint8_t*>(cle.data()), int32_t(cle.size()));
        if (n > cle.size()) {
            cle.resize(n);
            n = ucol_getSortKey(etat->icu, reinterpret_cast<const UChar*>(texte.utf16()),
                                int32_t(texte.size()), reinterpret_cast<uint8_t*>(cle.data()),
                                int32_t(cle.size()));
        }
        cle.resize(n); // ends with the key's own 0, below every byte of the text that follows
        cle.append(utf8, octets);
        if (etat->cles.size() > 1000000)
            etat->cles.clear();
        it = etat->cles.insert(QByteArray(utf8, octets), cle);
    }
    sqlite3_result_blob(contexte, it->constData(), int(it->size()), SQLITE_TRANSIENT);
}

void detruireCle(void* contexte) {
    auto* etat = static_cast<CleFr*>(contexte);
    ucol_close(etat->icu);
    delete etat;
}

} // namespace

bool enregistrerCollation(sqlite3* h) {
    if (!h)
        return false;
    UErrorCode erreur = U_ZERO_ERROR;
    auto* cle = new CleFr;
    cle->icu = ucol_open("fr_FR", &erreur);
    if (U_FAILURE(erreur)) {
        delete cle;
        return false;
    }
    ucol_setStrength(cle->icu, UCOL_SECONDARY); // letter case ignored, accents second
    ucol_setAttribute(cle->icu, UCOL_NUMERIC_COLLATION, UCOL_ON, &erreur);
    if (sqlite3_create_function_v2(h, NomCle.toUtf8().constData(), 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, cle,
                                   cleFrancaise, nullptr, nullptr, detruireCle) != SQLITE_OK)
        return false;
    auto* collateur = new QCollator(QLocale(QLocale::French, QLocale::France));
    collateur->setCaseSensitivity(Qt::CaseInsensitive);
    collateur->setNumericMode(true);
    return sqlite3_create_collation_v2(h, NomCollation.toUtf8().constData(), SQLITE_UTF8, collateur,
                                       comparerFrancais, detruireCollateur) == SQLITE_OK;
}

} // namespace Catalogue
