#pragma once

// The editors' priority chooser: a fixed drop-down list of the four priority
// pictures (32 px, no text); the position of the chosen entry is `fontos`.

#include <QComboBox>

class PriorityChooser : public QComboBox
{
    Q_OBJECT
public:
    explicit PriorityChooser(QWidget *parent = nullptr);

    // 0..3; -1 when the value shown is none of the four (nothing is selected).
    int value() const { return currentIndex(); }
    void setValue(int fontos);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
