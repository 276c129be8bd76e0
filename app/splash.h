#pragma once

#include <QWidget>

// The logo window shown over the main window for four seconds; the logo's
// pure grey pixels are see-through, so the window takes the logo's shape.
class Tfrm_Logo : public QWidget
{
    Q_OBJECT
public:
    explicit Tfrm_Logo(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QPixmap m_logo;
};

// Creates and shows a splash window without waiting; it closes itself.
Tfrm_Logo *ShowSplash();
