#pragma once

#include <QDialog>

// "Névjegy": logo, product name and version, and the maker's contact.
class Tfrm_Nevjegy : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Nevjegy(QWidget *parent = nullptr);
};

void ShowAbout(QWidget *parent);
