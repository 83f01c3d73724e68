#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <initializer_list>

// A clock-time field with the typing aids every duration field shares: ":" appended at 2 and 5
// characters, the text cut to 8, Backspace empties the field, a click selects the whole text.
// The rule applies to text set by code as well, as it does to typing.
class ChampDuree : public QLineEdit {
    Q_OBJECT
public:
    explicit ChampDuree(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void TxtDuree_Change();
    bool m_garde = false;
};

// A title field: long titles wrap over its lines, but the title itself stays on one line. Enter
// moves on to the next field; line breaks pasted, dropped or composed become blanks. Text set by
// code is shown as it is, so a stored title reads back unchanged.
class ChampTitre : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ChampTitre(QWidget* parent = nullptr);
    // The title exactly as it stands, non-breaking spaces included: what is saved and placed.
    QString texte() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
};

// An up-down spinner: two arrows and no value of its own.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

signals:
    void UpClick();
    void DownClick();
};

// The screens' orange buttons.
QPushButton* boutonOrange(QWidget* parent, const QString& texte, int couleur = 33023);

// Alt+letter presses the button as an underlined letter would, while its caption keeps its exact
// text; the tooltip tells the key.
void lettreAcces(QAbstractButton* bouton, char lettre);

// Tab visits these widgets in this order.
void ordreTabulation(std::initializer_list<QWidget*> ordre);
