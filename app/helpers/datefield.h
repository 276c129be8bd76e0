#pragma once

#include <QDateEdit>

// A date field that can also stand empty, for rows written without a date:
// it shows nothing until the user steps or types a date into it.
class DateField : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateField(QWidget *parent = nullptr);

    bool isBlank() const { return date() == minimumDate(); }
    void setBlank() { setDate(minimumDate()); }
    // An invalid date leaves the field empty.
    void setValue(const QDate &date);

    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
