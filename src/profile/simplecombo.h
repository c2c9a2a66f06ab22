#pragma once
#include <QWidget>

class QLineEdit;
class QListWidget;

// A combo box whose list is always open under its text line: the member
// types a name or picks one from the list.
class SimpleCombo : public QWidget
{
    Q_OBJECT
public:
    explicit SimpleCombo(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void clear();  // the list only
    void addItem(const QString &item);
    int count() const;
    QString itemText(int row) const;
    // Picks a list entry as a click would; its text goes into the line.
    void selectRow(int row);
    int currentRow() const;

    QLineEdit *lineEdit() const { return m_line; }
    QListWidget *listWidget() const { return m_list; }

signals:
    void textChanged(const QString &text);
    void rowSelected(int row);

private:
    QLineEdit *m_line;
    QListWidget *m_list;
};
