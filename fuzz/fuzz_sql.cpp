// Any text taken as a query of the screens' dialect: rewritten for SQLite, with and without its
// numbers made parameters, then compiled, and run when it only reads, against an in-memory
// catalogue holding a few rows (French order and the sort key included).

#include "catalogue/Catalogue.h"
#include "catalogue/Sqlite.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void echec(const char* raison, const QString& detail) {
    std::fprintf(stderr, "%s : %s\n", raison, qPrintable(detail));
    std::abort();
}

sqlite3* g_base = nullptr;
int g_pas = 0;

// Neither files nor the connection's set-up may be touched by what the input asks.
int autoriser(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

// A runaway recursive query stops after about a million steps.
int progression(void*) {
    return ++g_pas > 1000;
}

bool ouvrirBase() {
    static Catalogue::Sqlite::Connexion c;
    QString erreur;
    if (!c.ouvrir(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) ||
        !Catalogue::creerSchema(c.db(), &erreur) || !Catalogue::enregistrerCollation(c.db()))
        return false;
    g_base = c.db();
    const bool ok = Catalogue::Sqlite::executer(
        g_base,
        QStringLiteral(
            "INSERT INTO Film (Titre, Acteurs, \"Durée\", Genre) VALUES ('Été', 'A;B', '01:30:00', 'Drame'),"
            " ('été', NULL, '00:10:00', ''), ('Alien', 'x', '02:00:00', 'Science-fiction'),"
            " (NULL, NULL, NULL, NULL), (x'c3', x'ff00', 'z', 'oeuvre'), ('Œuvre 10', '', '1', 'Œuvre 9');"
            "INSERT INTO K7 (\"Durée\", TempsRestant, NBFilm, Status) VALUES"
            " ('03:00:00', '01:30:00', 1, 'FILM01:30:00Été/01:30:00'), ('01:00:00', '01:00:00', 0, "
            "'01:00:00');"
            "INSERT INTO FilmK7 VALUES (1, 1, 1), (2, 2, 1), (3, 2, 2);"),
        &erreur);
    if (!ok)
        return false;
    sqlite3_limit(g_base, SQLITE_LIMIT_LENGTH, 100000);
    sqlite3_db_config(g_base, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_set_authorizer(g_base, autoriser, nullptr);
    sqlite3_progress_handler(g_base, 1000, progression, nullptr);
    return true;
}

struct Instruction {
    sqlite3_stmt* stmt = nullptr;
    ~Instruction() { sqlite3_finalize(stmt); }
};

// Compiles the first statement; its tail tells whether other statements followed.
bool compiler(const QString& sql, Instruction& i, bool* seule) {
    const QByteArray utf8 = sql.toUtf8();
    const char* reste = nullptr;
    if (sqlite3_prepare_v2(g_base, utf8.constData(), int(utf8.size()), &i.stmt, &reste) != SQLITE_OK ||
        !i.stmt)
        return false;
    *seule = QByteArray(reste).replace(';', ' ').trimmed().isEmpty();
    return true;
}

void executer(sqlite3_stmt* stmt) {
    if (!sqlite3_stmt_readonly(stmt))
        return;
    g_pas = 0;
    for (int lignes = 0; lignes < 100 && sqlite3_step(stmt) == SQLITE_ROW; ++lignes) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            sqlite3_column_text(stmt, c);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt SQL loads its driver through the application object.
    static std::unique_ptr<QCoreApplication> appli(new QCoreApplication(*argc, *argv));
    if (!ouvrirBase()) {
        std::fprintf(stderr, "catalogue en mémoire impossible\n");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(donnees), qsizetype(taille));

    const QString litteral = Catalogue::traduireSql(sql);
    QVariantList parametres;
    const QString parametre = Catalogue::traduireSql(sql, &parametres);
    if (parametres.isEmpty() && parametre != litteral)
        echec("texte différent sans nombre", sql);
    // A translation shared by texts of one shape gives what a fresh one gives, for this text and
    // for the same text with other digits (the shape it left behind).
    QString autresChiffres = sql;
    for (QChar& c : autresChiffres) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            c = QLatin1Char(char('0' + (c.unicode() - '0' + 7) % 10));
    }
    for (const QString& texte : {sql, autresChiffres}) {
        QVariantList partage, seul;
        const QString a = Catalogue::traduireSql(texte, &partage);
        if (a != Catalogue::traduireSqlSeul(texte, &seul) || partage != seul)
            echec("traduction partagée différente", texte);
    }

    {
        Instruction i;
        bool seule = false;
        if (compiler(litteral, i, &seule))
            executer(i.stmt);
    }

    Instruction i;
    bool seule = false;
    if (!compiler(parametre, i, &seule))
        return 0;
    // Every number of a single statement became one "?", in order. Markers, comments and quotes
    // the dialect does not have are left out: the rewriting does not claim to know them.
    // SQLite reads up to a NUL character, the rewriting reads the whole text.
    bool horsDialecte = sql.contains(QChar(0)) || sql.contains(QLatin1Char('?')) ||
                        sql.contains(QLatin1Char('`')) || sql.contains(QLatin1String("--")) ||
                        sql.contains(QLatin1String("/*"));
    const int marques = sqlite3_bind_parameter_count(i.stmt);
    for (int k = 1; k <= marques; ++k)
        horsDialecte = horsDialecte || sqlite3_bind_parameter_name(i.stmt, k); // ":nom", "@nom"...
    if (seule && !horsDialecte && marques != parametres.size())
        echec("paramètres et marques en nombre différent",
              sql + QStringLiteral(" -> ") + parametre +
                  QStringLiteral(" (%1 marques, %2 valeurs)").arg(marques).arg(parametres.size()));
    for (int k = 0; k < parametres.size() && k < marques; ++k) {
        const QVariant& v = parametres[k];
        if (v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(i.stmt, k + 1, v.toLongLong());
        else
            sqlite3_bind_double(i.stmt, k + 1, v.toDouble());
    }
    executer(i.stmt);
    return 0;
}
