#include "app/reportoutputdialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kFormName = QStringLiteral("frm_NyomtatasTipus");
}

Tfrm_NyomtatasTipus::Tfrm_NyomtatasTipus(QWidget *parent) : QDialog(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Nyomtatás típusa"));
    setWindowIcon(ZIcon(QStringLiteral("nyomtat")));

    auto *group = new QGroupBox(QStringLiteral("Nyomtatás típusa"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto *groupLayout = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("Nyomtatási kép"), QStringLiteral("Nyomtatás"),
                                 QStringLiteral("Excelbe (CSV)")};
    for (int i = 0; i < 3; ++i) {
        m_items[i] = new QRadioButton(captions[i], group);
        m_items[i]->setObjectName(QStringLiteral("rbItem%1").arg(i));
        buttons->addButton(m_items[i], i);
        groupLayout->addWidget(m_items[i]);
    }
    m_items[0]->setChecked(true);

    auto *ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    cancel->setObjectName(QStringLiteral("btMegsem"));
    // Esc rejects a QDialog on its own; "Mégsem" does the same.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(ok);
    buttonRow->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The fixed size is the contents'; wide enough too for the whole title
    // beside the icon and the title bar's buttons (a bold title font included).
    QFont titleFont = font();
    titleFont.setBold(true);
    group->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) * 5 / 4 + 120);
}

int Tfrm_NyomtatasTipus::choice() const
{
    for (int i = 0; i < 3; ++i)
        if (m_items[i]->isChecked())
            return i;
    return 0;
}

void Tfrm_NyomtatasTipus::setChoice(int index)
{
    if (index >= 0 && index < 3)
        m_items[index]->setChecked(true);
}

void Tfrm_NyomtatasTipus::done(int result)
{
    RememberFormPosition(this, kFormName);
    QDialog::done(result);
}

void Tfrm_NyomtatasTipus::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, kFormName);
        m_items[choice()]->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

int ChooseReportOutput()
{
    Tfrm_NyomtatasTipus dialog(Shared().mainWindow);
    if (execDialog(&dialog) != QDialog::Accepted)
        return -1;
    return dialog.choice();
}
