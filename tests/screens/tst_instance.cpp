// One program per application folder: a second start while the first runs is refused; a lock
// nobody live holds does not block the next start.

#include "screens/common/Instance.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <optional>
#include <sys/stat.h>

namespace {

// This executable, started again, tries the folder's lock, says whether it got it and holds it
// until it is killed.
struct Detenteur {
    QProcess p;
    explicit Detenteur(const QString& dossier) {
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--tenir"), dossier});
    }
    QByteArray reponse() { return p.waitForReadyRead(10000) ? p.readLine().trimmed() : QByteArray(); }
    ~Detenteur() {
        p.kill();
        p.waitForFinished();
    }
};

} // namespace

class TestInstance : public QObject {
    Q_OBJECT

private slots:
    // What is in the lock's place at a start: the lock of this program, of another one running or
    // killed (SIGKILL: the lock file stays behind), a lock nobody live holds (empty, garbage,
    // written on another machine -- a catalogue on a USB stick after a crash --, naming another
    // program, not a file at all) or a folder. Only a live holder or a folder, which cannot be
    // taken over, bars the start; the lock taken bars a second program; released, the next start
    // gets the folder.
    void verrou_data() {
        QTest::addColumn<QString>("cas");
        for (const char* cas : {"ici", "tourne", "tué", "vide", "illisible", "autre machine",
                                "autre programme", "tube", "lien", "dossier"})
            QTest::newRow(cas) << QString::fromUtf8(cas);
    }
    void verrou() {
        QFETCH(QString, cas);
        QTemporaryDir d;
        const QString verrou = d.filePath(InstanceUnique::nomFichier());
        std::optional<InstanceUnique> ici;
        std::optional<Detenteur> autre;
        QProcess vivant; // a live program other than this one
        vivant.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(vivant.waitForStarted());
        if (cas == "ici")
            QVERIFY(ici.emplace(d.path()).acquise() && QFile::exists(verrou));
        else if (cas == "tourne" || cas == "tué")
            QCOMPARE(autre.emplace(d.path()).reponse(), QByteArray("tenu"));
        else if (cas == "tube")
            QCOMPARE(::mkfifo(QFile::encodeName(verrou).constData(), 0644), 0);
        else if (cas == "lien")
            QVERIFY(QFile::link(d.filePath(QStringLiteral("absent")), verrou));
        else if (cas == "dossier")
            QVERIFY(QDir(d.path()).mkdir(InstanceUnique::nomFichier()));
        else { // "autre …": naming a live process, another program or this one
            const qint64 pid =
                cas == "autre programme" ? vivant.processId() : QCoreApplication::applicationPid();
            const QString machine =
                cas == "autre machine" ? "une-autre-machine" : QSysInfo::machineHostName();
            const QByteArray contenu =
                cas == "vide" ? QByteArray()
                : cas == "illisible"
                    ? QByteArray("\xff\xfe garbage\n\0\x01", 13)
                    : QStringLiteral("%1\n%2\n%3\n").arg(pid).arg(qAppName(), machine).toUtf8();
            QFile f(verrou);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size());
        }
        if (cas == "tué") {
            autre->p.kill();
            QVERIFY(autre->p.waitForFinished() && QFile::exists(verrou));
        }
        const bool libre = cas != "ici" && cas != "tourne" && cas != "dossier";
        {
            const InstanceUnique second(d.path());
            QCOMPARE(second.acquise(), libre);
            if (libre)
                QCOMPARE(Detenteur(d.path()).reponse(), QByteArray("refuse"));
            else if (cas != "dossier")
                QCOMPARE(second.refus(), InstanceUnique::message());
            else // the user is told which folder it is
                QVERIFY2(second.refus().contains(QDir::toNativeSeparators(verrou)),
                         qPrintable(second.refus()));
        }
        ici.reset();
        QCOMPARE(Detenteur(d.path()).reponse(), QByteArray(libre || cas == "ici" ? "tenu" : "refuse"));
    }

    // Where no lock can be written, the program still starts (and says elsewhere why nothing can be
    // saved): a refusal would lock the user out of a catalogue on a read-only medium.
    void sansVerrou() {
        QTemporaryDir d;
        const QString fichier = d.filePath(QStringLiteral("pas-un-dossier"));
        QVERIFY(QFile(fichier).open(QIODevice::WriteOnly) && InstanceUnique(fichier).acquise());
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--tenir") == 0) {
        QCoreApplication app(argc, argv);
        const InstanceUnique instance(QString::fromLocal8Bit(argv[2]));
        std::puts(instance.acquise() ? "tenu" : "refuse");
        std::fflush(stdout);
        QThread::sleep(120);
        return 0;
    }
    QApplication app(argc, argv);
    TestInstance t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_instance.moc"
