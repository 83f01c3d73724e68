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
    // Held in this program, then by another one, running or killed (SIGKILL: the lock file stays
    // behind); released at the end, the next start gets the folder.
    void autreProgramme_data() {
        QTest::addColumn<QString>("premier"); // this program, another one running, another one killed
        for (const char* premier : {"ici", "tourne", "tué"})
            QTest::newRow(premier) << QString::fromUtf8(premier);
    }
    void autreProgramme() {
        QFETCH(QString, premier);
        QTemporaryDir d;
        std::optional<InstanceUnique> ici;
        std::optional<Detenteur> autre;
        if (premier == "ici")
            QVERIFY(ici.emplace(d.path()).acquise() &&
                    QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        else
            QCOMPARE(autre.emplace(d.path()).reponse(), QByteArray("tenu"));
        if (premier == "tué") {
            autre->p.kill();
            QVERIFY(autre->p.waitForFinished() && QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        }
        {
            const InstanceUnique second(d.path());
            QCOMPARE(second.acquise(), premier == "tué");
            QCOMPARE(second.refus(), premier == "tué" ? QString() : InstanceUnique::message());
        }
        ici.reset();
        Detenteur suivant(d.path());
        QCOMPARE(suivant.reponse(), QByteArray(premier == "tourne" ? "refuse" : "tenu"));
    }

    // A lock nobody live holds never bars the folder: empty, garbage, written on another machine
    // (a catalogue on a USB stick after a crash), naming another program, or not a file at all.
    void verrouOrphelin_data() {
        QTest::addColumn<QString>("cas");
        for (const char* cas : {"vide", "illisible", "autre machine", "autre programme", "tube", "lien"})
            QTest::newRow(cas) << cas;
    }
    void verrouOrphelin() {
        QFETCH(QString, cas);
        QTemporaryDir d;
        const QString verrou = d.filePath(InstanceUnique::nomFichier());
        QProcess autre;
        QByteArray contenu;
        if (cas == "illisible")
            contenu = QByteArray("\xff\xfe garbage\n\0\x01", 13);
        else if (cas == "autre machine")
            contenu = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                      QCoreApplication::applicationName().toUtf8() + "\nune-autre-machine\n";
        else if (cas == "autre programme") {
            autre.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(autre.waitForStarted());
            contenu = QByteArray::number(autre.processId()) + '\n' +
                      QCoreApplication::applicationName().toUtf8() + '\n' +
                      QSysInfo::machineHostName().toUtf8() + '\n';
        }
        if (cas == "tube")
            QCOMPARE(::mkfifo(QFile::encodeName(verrou).constData(), 0644), 0);
        else if (cas == "lien")
            QVERIFY(QFile::link(d.filePath(QStringLiteral("absent")), verrou));
        else {
            QFile f(verrou);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size());
        }
        {
            const InstanceUnique instance(d.path());
            QVERIFY(instance.acquise());
            Detenteur second(d.path()); // now really held: a second program is refused
            QCOMPARE(second.reponse(), QByteArray("refuse"));
        }
        autre.kill();
        autre.waitForFinished();
    }

    // A folder in the lock's place cannot be taken over: the user is told which one it is. Where
    // no lock can be written, the program still starts (and says elsewhere why nothing can be
    // saved): a refusal would lock the user out of a catalogue on a read-only medium.
    void sansVerrou() {
        QTemporaryDir d;
        QVERIFY(QDir(d.path()).mkdir(InstanceUnique::nomFichier()));
        const InstanceUnique instance(d.path());
        QVERIFY(!instance.acquise() && instance.refus().contains(QStringLiteral("dossier")));
        QVERIFY2(
            instance.refus().contains(QDir::toNativeSeparators(d.filePath(InstanceUnique::nomFichier()))),
            qPrintable(instance.refus()));
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
