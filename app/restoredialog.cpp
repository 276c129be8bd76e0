#include "app/restoredialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/restorecopies.h"
#include "app/helpers/testhooks.h"
#include "db/backup.h"
#include "db/dberror.h"

#include <QDateTime>
#include <QDir>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frm_Visszaallit");

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Hungarian).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

Tfrm_Visszaallit::Tfrm_Visszaallit(std::function<void(const QString &)> restore, QWidget *parent)
    : QDialog(parent), m_restore(std::move(restore))
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Visszaállítás"));
    setWindowIcon(ZIcon(QStringLiteral("zentavo")));
    resize(560, 360);

    auto *hint = new QLabel(QStringLiteral("Mentett másolatok (%1). A kiválasztott másolat a mostani adatbázis "
                                           "helyére kerül; előtte a mostani állapotról is másolat készül.")
                                .arg(QDir::toNativeSeparators(RestoreCopyFolder())),
                            this);
    hint->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvMasolatok"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("dátum"), QStringLiteral("idő"), QStringLiteral("ok"), QStringLiteral("méret")});
    m_list->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);

    auto *buttons = new QDialogButtonBox(this);
    m_restoreButton = buttons->addButton(QStringLiteral("Visszaállít"), QDialogButtonBox::AcceptRole);
    m_restoreButton->setObjectName(QStringLiteral("btVisszaallit"));
    QPushButton *close = buttons->addButton(QStringLiteral("Bezár"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btBezar"));
    connect(m_restoreButton, &QPushButton::clicked, this, Guarded([this] { restoreSelected(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, Guarded([this] { restoreSelected(); }));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    reload();
}

void Tfrm_Visszaallit::reload()
{
    m_list->clear();
    for (const RestoreCopy &c : RestoreCopies()) {
        auto *item = new QTreeWidgetItem(m_list, {c.taken.date().toString(QStringLiteral("yyyy.MM.dd.")),
                                                  c.taken.time().toString(QStringLiteral("HH:mm:ss")),
                                                  CopyCauseName(c.cause), sizeText(c.size)});
        item->setData(0, Qt::UserRole, c.path);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int i = 0; i < 4; ++i)
        m_list->resizeColumnToContents(i);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_restoreButton->setEnabled(m_list->topLevelItemCount() > 0);
}

void Tfrm_Visszaallit::restoreSelected()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item)
        return;
    const QString path = item->data(0, Qt::UserRole).toString();
    if (!AskYesNo(QStringLiteral("Valóban visszaállítsam az adatbázist a %1 %2 másolatra?\r\n"
                                 "A mostani állapotról előbb másolat készül.")
                      .arg(item->text(0), item->text(1)),
                  QStringLiteral("Megerősítés"), this))
        return;
    m_restore(path);
    reload();
    ShowInfo(QStringLiteral("Az adatbázis visszaállítva."), this);
}

void Tfrm_Visszaallit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    RestoreFormPosition(this, kFormName);
}

void Tfrm_Visszaallit::done(int result)
{
    RememberFormPosition(this, kFormName);
    QDialog::done(result);
}

void ShowRestoreCopies(std::function<void(const QString &)> restore, QWidget *owner)
{
    Tfrm_Visszaallit dialog(std::move(restore), owner);
    execDialog(&dialog);
}

bool CheckDatabaseAtStart(const QString &path, QWidget *owner)
{
    const zdb::IntegrityReport report = zdb::QuickCheck(path);
    if (!report.checked || report.sound)
        return true;
    QString message = QStringLiteral("Az adatbázis sérült, így nem nyitom meg:\r\n%1\r\n\r\n%2")
                          .arg(QDir::toNativeSeparators(path), report.findings.left(600));
    for (const RestoreCopy &c : RestoreCopies()) {
        if (!zdb::QuickCheck(c.path).sound)
            continue;
        message += QStringLiteral("\r\n\r\nVisszaállítsam a legutóbbi ép másolatot (%1, %2)? "
                                  "A sérült fájl megmarad a mostani neve mellett.")
                       .arg(c.taken.toString(QStringLiteral("yyyy.MM.dd. HH:mm")), CopyCauseName(c.cause));
        if (!AskYesNo(message, QStringLiteral("Megerősítés"), owner))
            return false;
        const QString aside = path + QStringLiteral(".serult-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::rename(path, aside)) {
            ShowError(QStringLiteral("A sérült fájl nem nevezhető át: %1").arg(QDir::toNativeSeparators(path)), owner);
            return false;
        }
        if (!QFile::copy(c.path, path)) {
            QFile::rename(aside, path);
            ShowError(QStringLiteral("A másolat nem tehető a helyére: %1").arg(QDir::toNativeSeparators(path)), owner);
            return false;
        }
        return true;
    }
    ShowError(message + QStringLiteral("\r\n\r\nNincs ép mentett másolat."), owner);
    return false;
}
