#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace Catalogue::Sqlite {
class Requete;
}

// The data source a screen holds: the catalogue file it names, an SQL text as its record source,
// and after Refresh the resulting rows with a current record. Labels and fields bound to it follow
// the current record; bound input fields give their text back when a row is written.
// Knows nothing of widgets: a binding is a pair of functions.
class SourceDonnees : public QObject {
    Q_OBJECT
public:
    enum ModeEdition { AucuneEdition, EditionEnCours, AjoutEnCours };
    using Signet = qint64;

    explicit SourceDonnees(QObject* parent = nullptr);
    ~SourceDonnees() override;

    void setDatabaseName(const QString& chemin);
    QString DatabaseName() const { return m_base; }
    void setRecordSource(const QString& sql) { m_source = sql; }
    QString RecordSource() const { return m_source; }

    // Runs the record source; the current record becomes the first row, read at once. False on
    // failure, the first row unreadable included, with the engine's reason in Erreur() and an
    // empty record set.
    bool Refresh();
    int RecordCount() const { return m_vivantes; }
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    // Moves forward from the current record to the first one whose field equals the value, or
    // past the last: what a loop of MoveNext does, without showing every record on the way.
    bool Chercher(const QString& nom, const QVariant& valeur);

    // The field of the current record (or of the row being added or edited), by a name matched
    // without regard to letter case; invalid when there is no current record.
    QVariant Fields(const QString& nom) const;
    QString Texte(const QString& nom) const { return Fields(nom).toString(); }
    // Hands over the texts of the named fields (as Texte gives them) of every row, with the row's
    // rank in the record set's order (0 to RecordCount() - 1), without keeping them: what a walk
    // with MoveNext and Texte reads, for a list of a whole table, in one pass over the table and
    // without the other fields. The rows may come in any order; a row deleted since the refresh
    // does not come. With deuxFils, a large table is read in two halves at once, the second by
    // another thread on a connection of its own: `recevoir` is then called from both threads at
    // the same time, for different ranks (a rank comes again, later, only when the other thread
    // could not read its half, which is then read on this one). The current record does not move. False, with
    // the reason in Erreur(), when a row cannot be read.
    bool Textes(const QStringList& champs, const std::function<void(int rang, QStringList& textes)>& recevoir,
                bool deuxFils = false) const;
    // The texts of the named fields of the current record (as Texte gives them), into `textes`:
    // in a large record set, read alone, by one seek, when the row was not read yet, and not kept. A walk
    // that needs a few fields of each row once (a printed list) then starts at its first row, rather than
    // after a pass over the table, and reads no other field. Empty texts when there is no current
    // record or its row is gone; false, with the reason in Erreur(), when it cannot be read.
    bool TextesCourants(const QStringList& champs, QStringList& textes) const;
    // False when the fields of the current record cannot be read (a damaged page): they are then
    // empty, not data, and Erreur() says why. True when there is no current record.
    bool Lisible() const;

    bool AddNew();
    bool Edit();
    // Sets a field of the row being added or edited; clock-time fields are written "HH:MM:SS".
    bool setField(const QString& nom, const QVariant& valeur);
    bool Update();
    void CancelUpdate();
    bool Delete();
    ModeEdition EditMode() const { return m_mode; }
    // The row added under this bookmark was not kept after all (its transaction was rolled
    // back): it becomes the pending addition again, with the same values, and leaves the rows.
    bool ReprendreAjout(Signet s);

    Signet Bookmark() const;
    bool setBookmark(Signet s);
    Signet LastModified() const { return m_dernierModifie; }

    // Releases the catalogue file (maintenance).
    void CloseDatabase();

    QString Erreur() const { return m_erreur; }

    // Binds a control to a field. `afficher` receives the field's text on every move and refresh
    // ("" when there is no current record); `lire`, for input fields, gives the text written into
    // the field when the row is updated. The binding ends with `controle`.
    void lier(QObject* controle, const QString& champ, std::function<void(const QString&)> afficher,
              std::function<QString()> lire = {});
    void delier(QObject* controle);

signals:
    // The current record changed (move, refresh, edit started or ended).
    void EnregistrementChange();

private:
    struct Ligne {
        qint64 rowid = 0;
        QVector<QVariant> valeurs;
        bool supprimee = false;
        bool illisible = false; // its fields could not be read: empty, and not to be acted on
    };
    struct Liaison {
        QObject* controle;
        QString champ;
        std::function<void(const QString&)> afficher;
        std::function<QString()> lire;
    };

    int colonne(const QString& nom) const;
    bool courantValide() const;
    // Reads row index if need be; true, with the reason in Erreur(), when it cannot be read.
    bool illisible(int index) const;
    const QVector<QVariant>* valeursAffichees() const;
    void lire(int index) const;
    bool lireTout() const;
    bool garder(Catalogue::Sqlite::Requete& q) const;
    void lireUneAUne(const QVector<int>& indices) const;
    bool lireLignes(const QString& sql, const QVariantList& parametres, bool table);
    void deplacer(int index);
    void prevenir();
    bool echec(const QString& quoi, const QString& raison);
    bool preparer();
    bool reserverCle();
    qint64 rowidDe(int index) const { return m_lignes[index].rowid; }
    int place(qint64 rowid) const;

    QString m_base;
    QString m_source;
    QString m_table;         // the table a "SELECT * FROM" text reads; empty: read only
    QString m_cle;           // its engine-given key, if any
    quint64 m_pretSur = 0;   // the catalogue generation preparer() last found right
    QString m_tableColonnes; // the table m_colonnes describes, and on which catalogue
    quint64 m_colonnesSur = 0;
    QStringList m_colonnes;
    QHash<QString, int> m_index;              // lower-case name -> column
    mutable QHash<QString, int> m_commeEcrit; // name as asked -> column (or -1)
    mutable QVector<Ligne> m_lignes;          // fields read on first look (lire)
    mutable int m_blocsSuivis = 0;            // blocks read one right after the other
    mutable bool m_toutIllisible = false;     // the pass over the whole table failed: not again
    mutable bool m_placesPretes = false;      // the index below matches m_lignes (place)
    mutable QVector<int> m_places;            // row of rowid m_placesMin + i, or -1
    mutable qint64 m_placesMin = 0;
    mutable QHash<qint64, int> m_placesEparses; // when the rowids lie far apart
    int m_vivantes = 0;
    int m_courant = -1; // -1 before the first row, size() past the last
    bool m_surSupprimee = false;
    ModeEdition m_mode = AucuneEdition;
    QVector<QVariant> m_tampon;
    QVector<bool> m_modifie;
    Signet m_dernierModifie = 0;
    mutable QString m_erreur;
    mutable QString m_erreurLecture; // why the rows marked unreadable could not be read
    // What TextesCourants reads: the fields last asked for, in which table and generation of its
    // columns, and per field its column in the statement (0 the key, -1 none).
    mutable QStringList m_champsCourants;
    mutable QString m_tableCourante;
    mutable quint64 m_courantsSur = 0;
    mutable QVector<int> m_colonnesCourantes;
    mutable QString m_sqlCourant;
    QVector<Liaison> m_liaisons;
};
