#pragma once

#include <QLabel>
#include <QPointer>
#include <QVector>

// A label placed and sized in twips, with its background as a colour value.
class Etiquette : public QLabel {
    Q_OBJECT
public:
    explicit Etiquette(QWidget* parent = nullptr, const QString& texte = QString());
    // A label placed in twips with its font: how the screens lay out their captions.
    static Etiquette* creer(QWidget* parent, const QString& texte, int gauche, int haut, int largeur,
                            int hauteur, const QFont& police);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);
    void placer(int gauche, int haut, int largeur, int hauteur); // twips

    int BackColor() const { return m_fond; }
    void setBackColor(int valeur);
    void setForeColor(int valeur);
    QString Caption() const { return m_abrege ? m_complet : text(); }
    void setCaption(const QString& texte);
    // The caption shows as many of its lines as the label holds, the last one cut with "…";
    // Caption() stays the whole text.
    void setAbrege(bool abrege);
    bool abrege() const { return m_abrege; }

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int m_fond = -1;
    bool m_abrege = false;
    QString m_complet;
    void abreger();
};

// A control array of labels: element 0 is designed, further elements are copies made and
// destroyed at run time; UBound() is the highest index loaded.
class TableauEtiquettes : public QObject {
    Q_OBJECT
public:
    explicit TableauEtiquettes(Etiquette* zero, QObject* parent = nullptr);

    Etiquette& operator()(int index) const;
    int UBound() const { return int(m_elements.size()) - 1; }
    // Loads element UBound() + 1 as a copy of element 0, hidden.
    Etiquette& Load();
    // Destroys the highest element (never element 0).
    void UnloadDernier();
    void UnloadAuDela(int index); // every element above index

signals:
    // A click on element Index.
    void Click(int Index);

private:
    void brancher(Etiquette* e);
    QVector<QPointer<Etiquette>> m_elements;
};
