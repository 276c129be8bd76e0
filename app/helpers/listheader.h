#pragma once

// The header strip above a list: the quick search box at its left end, the
// list's title in the middle and the sort label at its right end.

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

class ListHeader : public QWidget
{
    Q_OBJECT
public:
    explicit ListHeader(const QString &title = {}, QWidget *parent = nullptr);

    QLineEdit *searchBox() const { return m_search; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *sortLabel() const { return m_sort; }

    QString title() const;
    void setTitle(const QString &title);
    QString sortText() const;
    void setSortText(const QString &text);   // "sorrend\n<title> szerint", or any start text

    // Lists without a quick search or a sort label hide them.
    void setSearchVisible(bool visible);
    void setSortLabelVisible(bool visible);

    // "sorrend", a line break, the title and " szerint".
    static QString sortLabelText(const QString &title);

private:
    QLineEdit *m_search = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_sort = nullptr;
};
