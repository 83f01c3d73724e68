#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueInterne.h"
#include "catalogue/Outils.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVarLengthArray>

namespace Catalogue {

using namespace Interne;

namespace {

// Text columns sorted in French order; clock times are zero-padded text and sort as they are.
bool estColonneTexte(const QString& nom) {
    static const QSet<QString> texte = {
        QStringLiteral("titre"), QStringLiteral("réalisateur"), QStringLiteral("acteurs"),
        QStringLiteral("pays"),  QStringLiteral("genre"),       QStringLiteral("description"),
        QStringLiteral("date"),
    };
    return texte.contains(nom.toLower());
}

QString texteSauf(const QString& s) {
    QString r = s;
    r.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + r + QLatin1Char('\'');
}

// Stands for a number in a translation kept for reuse: a noncharacter, never in a query text.
constexpr QChar Marque(0xFDD0);

// A number of the text as translated: where it stands, and whether it stays written as is.
struct NombreLu {
    int debut;
    int longueur;
    bool litteral;
};

QVariant valeurNombre(QStringView texte) {
    bool entier = false;
    const qlonglong n = texte.toLongLong(&entier);
    return entier ? QVariant(n) : QVariant(texte.toDouble());
}

// With `nombres`, each number of the text is written as Marque and described there, and
// `parametres` is left alone: the translation then holds for any numbers at those places.
QString traduire(const QString& sql, QVariantList* parametres, QVector<NombreLu>* nombres) {
    enum Genre { Mot, Nombre, Autre };
    struct Jeton {
        Genre genre;
        QString texte;
        int debut = 0;
    };
    QList<Jeton> jetons;
    const int n = int(sql.size());
    auto estLettre = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    for (int i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            // Quoted text or name: copied as is, doubled quotes included.
            const QChar fin = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == fin) {
                    if (fin != QLatin1Char(']') && j + 1 < n && sql.at(j + 1) == fin) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            jetons.append({Autre, sql.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('#')) {
            // A time literal between two "#": a quoted, zero-padded clock time.
            const int fin = int(sql.indexOf(QLatin1Char('#'), i + 1));
            if (fin < 0) {
                jetons.append({Autre, sql.mid(i)});
                break;
            }
            QString valeur = sql.mid(i + 1, fin - i - 1).trimmed();
            static const QRegularExpression horloge(QStringLiteral("^\\d{1,2}:\\d{1,2}(:\\d{1,2})?$"));
            if (horloge.match(valeur).hasMatch()) {
                if (valeur.count(QLatin1Char(':')) == 1)
                    valeur += QLatin1String(":00");
                valeur = Outils::SecondesEnHeure(Outils::HeureEnSecondes(valeur));
            }
            jetons.append({Autre, texteSauf(valeur)});
            i = fin + 1;
        } else if (c.isDigit()) {
            int j = i;
            while (j < n && (sql.at(j).isDigit() || sql.at(j) == QLatin1Char('.')))
                ++j;
            jetons.append({Nombre, sql.mid(i, j - i), i});
            i = j;
        } else if (estLettre(c)) {
            int j = i;
            while (j < n && (estLettre(sql.at(j)) || sql.at(j).isDigit()))
                ++j;
            const QString mot = sql.mid(i, j - i);
            jetons.append({Mot, nomsCanoniques().value(mot.toLower(), mot)});
            i = j;
        } else {
            jetons.append({Autre, QString(c)});
            ++i;
        }
    }

    QString sortie;
    sortie.reserve(n + 32);
    bool dansOrderBy = false;
    bool attendTerme = false;
    auto motSuivant = [&](int k) {
        for (int m = k + 1; m < jetons.size(); ++m) {
            if (!jetons[m].texte.trimmed().isEmpty())
                return m;
        }
        return -1;
    };
    // After ORDER BY or GROUP BY, a bare number is a column of the result: made a parameter, it
    // would be a constant that sorts or groups nothing. Kept as written at the head of every term
    // there (a literal is never wrong, only shared less).
    bool listeBy = false;
    int precedent = -1; // the last token that is not blank
    for (int k = 0; k < jetons.size(); ++k) {
        const Jeton& j = jetons[k];
        const bool ordinal =
            listeBy && j.genre == Nombre && precedent >= 0 &&
            (jetons[precedent].texte.compare(QLatin1String("BY"), Qt::CaseInsensitive) == 0 ||
             jetons[precedent].texte == QLatin1String(","));
        if (!j.texte.trimmed().isEmpty()) {
            const QString haut = j.texte.toUpper();
            if (j.genre == Mot && haut == QLatin1String("BY") && precedent >= 0 &&
                (jetons[precedent].texte.toUpper() == QLatin1String("ORDER") ||
                 jetons[precedent].texte.toUpper() == QLatin1String("GROUP")))
                listeBy = true;
            else if (haut == QLatin1String(";") || (j.genre == Mot && haut == QLatin1String("SELECT")))
                listeBy = false;
            precedent = k;
        }
        if (nombres && j.genre == Nombre) {
            nombres->append({j.debut, int(j.texte.size()), ordinal});
            sortie += Marque;
        } else if (parametres && j.genre == Nombre && !ordinal) {
            // Numbers become parameters: texts differing only by a number share one statement.
            *parametres << valeurNombre(j.texte);
            sortie += QLatin1Char('?');
        } else {
            sortie += j.texte;
        }
        if (j.genre == Nombre && k + 1 < jetons.size() && jetons[k + 1].genre == Mot)
            sortie += QLatin1Char(' '); // "=3AND": SQLite wants a blank after the number
        if (j.genre == Mot) {
            const QString mot = j.texte.toUpper();
            if (mot == QLatin1String("BY") && k >= 2) {
                const int avant = [&] {
                    for (int m = k - 1; m >= 0; --m)
                        if (!jetons[m].texte.trimmed().isEmpty())
                            return m;
                    return -1;
                }();
                if (avant >= 0 && jetons[avant].texte.toUpper() == QLatin1String("ORDER")) {
                    dansOrderBy = true;
                    attendTerme = true;
                    continue;
                }
            }
            if (dansOrderBy && attendTerme) {
                attendTerme = false;
                const int suivant = motSuivant(k);
                const bool dejaCollate =
                    suivant >= 0 &&
                    jetons[suivant].texte.compare(QLatin1String("COLLATE"), Qt::CaseInsensitive) == 0;
                const bool terminal = suivant < 0 || jetons[suivant].genre == Mot ||
                                      jetons[suivant].texte == QLatin1String(",") ||
                                      jetons[suivant].texte == QLatin1String(";");
                // Sorting by a key computed once per row is far cheaper than comparing texts in
                // French order at every step of the sort.
                if (estColonneTexte(j.texte) && !dejaCollate && terminal) {
                    sortie.chop(j.texte.size());
                    sortie += NomCle + QLatin1Char('(') + j.texte + QLatin1Char(')');
                }
            } else if (dansOrderBy && (mot == QLatin1String("LIMIT") || mot == QLatin1String("UNION"))) {
                dansOrderBy = false;
            }
        } else if (dansOrderBy && j.texte == QLatin1String(",")) {
            attendTerme = true;
        }
    }
    return sortie;
}

// The text with each of its numbers replaced by Marque, and those numbers, cut as the
// translation cuts them (quoted texts, #…# literals and names keep their digits). False when
// the text holds Marque itself.
bool gabarit(const QString& sql, QString* cle, QVarLengthArray<QStringView, 8>* nombres) {
    if (sql.contains(Marque))
        return false;
    const QStringView texte(sql);
    const qsizetype n = texte.size();
    cle->reserve(n);
    for (qsizetype i = 0; i < n;) {
        const QChar c = texte[i];
        qsizetype j = i + 1;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar fin = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            while (j < n) {
                if (texte[j] == fin) {
                    if (fin != QLatin1Char(']') && j + 1 < n && texte[j + 1] == fin) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
        } else if (c == QLatin1Char('#')) {
            const qsizetype fin = texte.indexOf(QLatin1Char('#'), i + 1);
            j = fin < 0 ? n : fin + 1;
        } else if (c.isDigit()) {
            while (j < n && (texte[j].isDigit() || texte[j] == QLatin1Char('.')))
                ++j;
            nombres->append(texte.mid(i, j - i));
            cle->append(Marque);
            i = j;
            continue;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            while (j < n && (texte[j].isLetter() || texte[j] == QLatin1Char('_') || texte[j].isDigit()))
                ++j;
        }
        cle->append(texte.mid(i, j - i));
        i = j;
    }
    return true;
}

// A translation with Marque for its numbers, and where they stand in it.
struct Traduction {
    QString sortie;
    QVector<int> places;
    QVector<bool> litteraux;
};

} // namespace

QString traduireSqlSeul(const QString& sql, QVariantList* parametres) {
    return traduire(sql, parametres, nullptr);
}

QString traduireSql(const QString& sql, QVariantList* parametres) {
    QString cle;
    QVarLengthArray<QStringView, 8> nombres;
    if (!parametres || !gabarit(sql, &cle, &nombres))
        return traduire(sql, parametres, nullptr);
    // Texts that differ only by their numbers (one per film of a printed list) share one
    // translation, filled in with each text's numbers: translating costs far more than filling.
    thread_local QHash<QString, Traduction> deja;
    auto it = deja.constFind(cle);
    if (it == deja.constEnd()) {
        Traduction t;
        QVector<NombreLu> lus;
        t.sortie = traduire(sql, nullptr, &lus);
        if (lus.size() != nombres.size())
            return traduire(sql, parametres, nullptr);
        for (int k = 0; k < lus.size(); ++k) {
            if (lus[k].debut != nombres[k].data() - sql.constData() || lus[k].longueur != nombres[k].size())
                return traduire(sql, parametres, nullptr);
            t.litteraux << lus[k].litteral;
        }
        for (qsizetype p = t.sortie.indexOf(Marque); p >= 0; p = t.sortie.indexOf(Marque, p + 1))
            t.places << int(p);
        if (deja.size() >= 256) // the screens use a few dozen shapes; anything more is a one-off
            deja.clear();
        it = deja.insert(cle, t);
    }
    QString sortie;
    sortie.reserve(it->sortie.size() + 16 * nombres.size());
    qsizetype depuis = 0;
    for (int k = 0; k < nombres.size(); ++k) {
        sortie += QStringView(it->sortie).mid(depuis, it->places[k] - depuis);
        if (it->litteraux[k]) {
            sortie += nombres[k];
        } else {
            sortie += QLatin1Char('?');
            *parametres << valeurNombre(nombres[k]);
        }
        depuis = it->places[k] + 1;
    }
    sortie += QStringView(it->sortie).mid(depuis);
    return sortie;
}

} // namespace Catalogue
