#pragma once

// "Nyomtatás típusa": the choice between preview, print and delimited export
// before a data sheet is produced; the sheets ask it through the output host.

#include <QDialog>

class QRadioButton;

class Tfrm_NyomtatasTipus : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_NyomtatasTipus(QWidget *parent = nullptr);

    // 0 "Nyomtatási kép", 1 "Nyomtatás", 2 "Excelbe (CSV)".
    int choice() const;
    void setChoice(int index);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QRadioButton *m_items[3];
    bool m_positioned = false;
};

// Runs the dialog: 0 "Nyomtatási kép", 1 "Nyomtatás", 2 "Excelbe (CSV)", -1 cancelled.
int ChooseReportOutput();
