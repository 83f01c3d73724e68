// One program per application folder: a second start while the first runs is refused; a lock
// left by a killed program does not block the next start.

#include "screens/common/Instance.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

// This executable, started again, holds the folder's lock until it is killed.
struct Detenteur {
    QProcess p;
    explicit Detenteur(const QString& dossier) {
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--tenir"), dossier});
    }
    QByteArray reponse() {
        if (!p.waitForReadyRead(10000))
            return {};
        return p.readLine().trimmed();
    }
    ~Detenteur() {
        p.kill();
        p.waitForFinished();
    }
};

} // namespace

class TestInstance : public QObject {
    Q_OBJECT

private slots:
    void premierDemarrage() {
        QTemporaryDir d;
        const InstanceUnique premiere(d.path());
        QVERIFY(premiere.acquise());
        QVERIFY(QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        const InstanceUnique seconde(d.path());
        QVERIFY(!seconde.acquise());
        QVERIFY(InstanceUnique::message().startsWith(QStringLiteral("Cassetron est déjà ouvert")));
    }

    void autreProgramme_data() {
        QTest::addColumn<bool>("tuer");
        QTest::newRow("le premier tourne") << false;
        QTest::newRow("le premier a été tué") << true;
    }

    void autreProgramme() {
        QFETCH(bool, tuer);
        QTemporaryDir d;
        Detenteur premier(d.path());
        QCOMPARE(premier.reponse(), QByteArray("tenu"));
        if (tuer) {
            premier.p.kill(); // SIGKILL: the lock file stays behind
            QVERIFY(premier.p.waitForFinished());
            QVERIFY(QFile::exists(d.filePath(InstanceUnique::nomFichier())));
        }
        const InstanceUnique second(d.path());
        QCOMPARE(second.acquise(), tuer);
        // Released at the end: the next start gets the folder.
        if (tuer) {
            Detenteur suivant(d.path());
            QCOMPARE(suivant.reponse(), QByteArray("refuse"));
        }
    }

    // Where no lock can be written, the program still starts (and says elsewhere why nothing can be
    // saved): a refusal would lock the user out of a catalogue on a read-only medium.
    void dossierSansVerrou() {
        QTemporaryDir d;
        QFile f(d.filePath(QStringLiteral("pas-un-dossier")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(InstanceUnique(f.fileName()).acquise());
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
