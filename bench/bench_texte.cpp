// What a printed list costs the rich-text document alone: the lines of N films, in the list's
// formats, written into a bare document (no catalogue, no window), at the collector and extreme
// sizes, as the list's writing thread writes them: a paragraph per film, its lines ended by line
// separators. The document keeps its text and blocks in balanced trees: each insertion costs
// log n, so five times the films cost more than five times as much. The list reads the catalogue
// meanwhile: at a large size this is the list's time.
// Usage: bench_texte [FILMS...]   (default 20000 100000); median of five runs, in milliseconds.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

#include <algorithm>

namespace {

double ecrire(int films) {
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    QTextCharFormat titre, texte, numero;
    titre.setFontPointSize(10);
    titre.setFontWeight(QFont::Bold);
    titre.setFontItalic(true);
    texte.setFontPointSize(10);
    numero.setFontPointSize(8);
    numero.setFontWeight(QFont::Bold);
    numero.setFontUnderline(true);
    QElapsedTimer chrono;
    chrono.start();
    QTextCursor c(&document);
    const QTextBlockFormat bloc = c.blockFormat();
    c.beginEditBlock();
    const QChar ligne = QChar::LineSeparator;
    for (int i = 0; i < films; ++i) {
        c.insertBlock(bloc, texte);
        c.insertText(QStringLiteral("Film numéro %1     ").arg(i), titre);
        c.insertText(QStringLiteral("01:45:00  Comédie  France  1987       "), texte);
        c.insertText(QStringLiteral("K7 N°%1").arg(i / 3 + 1), numero);
        c.insertText(ligne + QStringLiteral("\tde Jean Dupont avec Marie Martin\t") + ligne + ligne, texte);
    }
    c.endEditBlock();
    return chrono.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QList<int> tailles;
    for (int i = 1; i < argc; ++i)
        tailles << QByteArray(argv[i]).toInt();
    if (tailles.isEmpty())
        tailles = {20000, 100000};
    QTextStream sortie(stdout);
    for (const int n : std::as_const(tailles)) {
        QVector<double> t;
        for (int k = 0; k < 5; ++k)
            t << ecrire(n);
        std::sort(t.begin(), t.end());
        sortie << n << " films\t" << QString::number(t[2], 'f', 1) << " ms\n";
        sortie.flush();
    }
    return 0;
}
