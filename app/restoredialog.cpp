#include "app/restoredialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "db/backup.h"
#include "db/dberror.h"

#include <QCheckBox>
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

enum Column { ColDate, ColTime, ColCause, ColState, ColSize, ColDatabase, ColumnCount };

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Hungarian).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString stateText(const RestoreCopy &c)
{
    return !c.checked ? QStringLiteral("nem ellenőrzött") : c.sound ? QStringLiteral("ép") : QStringLiteral("sérült");
}

} // namespace

Tfrm_Visszaallit::Tfrm_Visszaallit(const DatabaseKey &database, std::function<void(const QString &)> restore,
                                   bool atStart, QWidget *parent)
    : QDialog(parent), m_database(database), m_restore(std::move(restore)), m_atStart(atStart)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Visszaállítás"));
    setWindowIcon(ZIcon(QStringLiteral("zentavo")));
    resize(640, 380);

    const QString after = atStart ? QStringLiteral("a sérült fájl megmarad a mostani neve mellett.")
                                  : QStringLiteral("előtte a mostani állapotról is másolat készül.");
    auto *hint = new QLabel(QStringLiteral("A(z) %1 adatbázis mentett másolatai (%2). A kiválasztott másolat "
                                           "az adatbázis helyére kerül; %3")
                                .arg(QDir::toNativeSeparators(database.path),
                                     QDir::toNativeSeparators(RestoreCopyFolder()), after),
                            this);
    hint->setWordWrap(true);
    m_others = new QCheckBox(QStringLiteral("Más adatbázisok másolatai is"), this);
    m_others->setObjectName(QStringLiteral("cbMasok"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvMasolatok"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("dátum"), QStringLiteral("idő"), QStringLiteral("ok"),
                             QStringLiteral("állapot"), QStringLiteral("méret"), QStringLiteral("adatbázis")});
    m_list->header()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    m_restoreButton = buttons->addButton(QStringLiteral("Visszaállít"), QDialogButtonBox::AcceptRole);
    m_restoreButton->setObjectName(QStringLiteral("btVisszaallit"));
    QPushButton *close = buttons->addButton(QStringLiteral("Bezár"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btBezar"));
    connect(m_restoreButton, &QPushButton::clicked, this, Guarded([this] { restoreSelected(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, Guarded([this] { restoreSelected(); }));
    connect(m_others, &QCheckBox::toggled, this, [this] { reload(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_others);
    layout->addWidget(buttons);
    reload();
}

void Tfrm_Visszaallit::reload()
{
    m_list->clear();
    const bool others = m_others->isChecked();
    for (const RestoreCopy &c : RestoreCopies()) {
        const bool own = CopyBelongsTo(c, m_database);
        if (!own && !others)
            continue;
        const QString database = own ? QStringLiteral("ez az adatbázis")
            : c.database.isEmpty()   ? QStringLiteral("MÁS: ismeretlen adatbázis")
                                     : QStringLiteral("MÁS: ") + QDir::toNativeSeparators(c.database);
        auto *item = new QTreeWidgetItem(m_list, {c.taken.date().toString(QStringLiteral("yyyy.MM.dd.")),
                                                  c.taken.time().toString(QStringLiteral("HH:mm:ss")),
                                                  CopyCauseName(c.cause), stateText(c), sizeText(c.size), database});
        item->setData(0, Qt::UserRole, c.path);
        item->setData(0, Qt::UserRole + 1, own);
        item->setTextAlignment(ColSize, Qt::AlignRight | Qt::AlignVCenter);
        if (!own)
            for (int i = 0; i < ColumnCount; ++i)
                item->setForeground(i, palette().color(QPalette::Disabled, QPalette::Text));
        if (c.checked && !c.sound)
            item->setForeground(ColState, QColor(Qt::darkRed));
    }
    for (int i = 0; i < ColumnCount; ++i)
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
    QString question = QStringLiteral("Valóban visszaállítsam az adatbázist a %1 %2 másolatra?\r\n")
                           .arg(item->text(ColDate), item->text(ColTime));
    if (!item->data(0, Qt::UserRole + 1).toBool())
        question += QStringLiteral("FIGYELEM: ez a másolat nem ennek az adatbázisnak a másolata (%1)!\r\n")
                        .arg(item->text(ColDatabase).mid(5));
    if (item->text(ColState) == u"sérült")
        question += QStringLiteral("FIGYELEM: a másolat az ellenőrzéskor sérültnek bizonyult!\r\n");
    question += m_atStart ? QStringLiteral("A sérült fájl megmarad a mostani neve mellett.")
                          : QStringLiteral("A mostani állapotról előbb másolat készül.");
    if (!AskYesNo(question, QStringLiteral("Megerősítés"), this))
        return;
    m_restore(path);
    m_restored = true;
    reload();
    ShowInfo(QStringLiteral("Az adatbázis visszaállítva."), this);
    if (m_atStart)
        accept();
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

void ShowRestoreCopies(const DatabaseKey &database, std::function<void(const QString &)> restore, QWidget *owner)
{
    Tfrm_Visszaallit dialog(database, std::move(restore), false, owner);
    execDialog(&dialog);
}

bool CheckDatabaseAtStart(const QString &path, QWidget *owner)
{
    const bool missing = !QFileInfo(path).isFile();
    zdb::FileVerdict verdict;
    if (missing)
        verdict.state = zdb::FileState::Missing;
    else
        verdict = zdb::ExamineDatabaseFile(path);
    if (verdict.state == zdb::FileState::Sound || verdict.state == zdb::FileState::Unchecked)
        return true;

    const DatabaseKey key = KeyOfFile(path);
    const QList<RestoreCopy> copies = RestoreCopies();
    const RestoreCopy *newest = nullptr;
    for (const RestoreCopy &c : copies) {
        if (c.sound && CopyBelongsTo(c, key)) {
            newest = &c;
            break;
        }
    }
    // A missing file with nothing to put in its place is said as always.
    if (missing && !newest) {
        ShowError(QStringLiteral("Nem létező adatbázis"), owner);
        return false;
    }

    QString message = missing ? QStringLiteral("Nem létező adatbázis:\r\n%1").arg(QDir::toNativeSeparators(path))
                              : QStringLiteral("Az adatbázis sérült, így nem nyitom meg:\r\n%1\r\n\r\n%2")
                                    .arg(QDir::toNativeSeparators(path), verdict.findings.left(600));
    if (verdict.recovered)
        message += QStringLiteral("\r\n(Egy megszakadt írást előbb visszagörgettem.)");
    // The damaged file stays: a link to it under another name, until the
    // copy has taken its place in one rename.
    const QString aside = missing ? QString()
                                  : path + QStringLiteral(".serult-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    auto putInPlace = [&](const QString &copy) { zdb::ReplaceDatabaseFile(copy, path, aside); };
    const QString keptText = missing ? QString() : QStringLiteral(" A sérült fájl megmarad a mostani neve mellett.");

    if (newest) {
        if (AskYesNo(message + QStringLiteral("\r\n\r\nVisszaállítsam a legutóbbi ép másolatot (%1, %2)?%3")
                                   .arg(newest->taken.toString(QStringLiteral("yyyy.MM.dd. HH:mm")),
                                        CopyCauseName(newest->cause), keptText),
                     QStringLiteral("Megerősítés"), owner)) {
            try {
                putInPlace(newest->path);
            } catch (...) {
                ShowError(ExceptionMessage(std::current_exception()), owner);
                return false;
            }
            return true;
        }
    }
    if (copies.isEmpty()) {
        ShowError(message + QStringLiteral("\r\n\r\nNincs ép mentett másolat."), owner);
        return false;
    }
    const QString ask = newest ? QStringLiteral("Megnyissam a mentett másolatok ablakát, hogy másikat válasszon?")
                               : message + QStringLiteral("\r\n\r\nNincs ép mentett másolat ennek az adatbázisnak. "
                                                          "Megnyissam a mentett másolatok ablakát?");
    if (!AskYesNo(ask, QStringLiteral("Megerősítés"), owner))
        return false;
    Tfrm_Visszaallit dialog(key, putInPlace, true, owner);
    // With no copy of its own the others are what there is to choose from.
    if (!newest && RestoreCopiesOf(key).isEmpty())
        dialog.othersBox()->setChecked(true);
    execDialog(&dialog);
    return dialog.restored();
}
