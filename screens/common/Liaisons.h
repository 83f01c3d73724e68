#pragma once

#include "catalogue/SourceDonnees.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

// Binding the screens' controls to a field of a data source: they show the current record's
// field and follow it; input controls give their text back when the row is written.
namespace Liaisons {

// The text exactly as typed: the plain-text reading of a document turns non-breaking spaces
// (French puts them before "!", "?", ":") into ordinary ones.
inline QString texteExact(const QTextDocument* d) {
    QString t = d->toRawText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return t;
}

inline void lier(SourceDonnees& source, QLabel* l, const QString& champ) {
    source.lier(l, champ, [l](const QString& t) { l->setText(t); });
}

inline void lier(SourceDonnees& source, QTextEdit* t, const QString& champ) {
    source.lier(
        t, champ, [t](const QString& v) { t->setPlainText(v); }, [t] { return texteExact(t->document()); });
}

inline void lier(SourceDonnees& source, QPlainTextEdit* t, const QString& champ) {
    source.lier(
        t, champ, [t](const QString& v) { t->setPlainText(v); }, [t] { return texteExact(t->document()); });
}

inline void lier(SourceDonnees& source, QLineEdit* t, const QString& champ) {
    source.lier(
        t, champ, [t](const QString& v) { t->setText(v); }, [t] { return t->text(); });
}

inline void lier(SourceDonnees& source, QComboBox* c, const QString& champ) {
    source.lier(
        c, champ, [c](const QString& v) { c->setCurrentText(v); }, [c] { return c->currentText(); });
}

} // namespace Liaisons
