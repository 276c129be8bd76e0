#include "app/settingsdialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/core/restorecopies.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kForm = QStringLiteral("frm_Beallit");
}

Tfrm_Beallit::Tfrm_Beallit(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Beállítások"));
    setWindowIcon(ZIcon(QStringLiteral("beallit")));

    m_fullScreen = new QCheckBox(QStringLiteral("Megnyitáskor teljes képernyő"), this);

    auto *dbGroup = new QGroupBox(QStringLiteral("Adatbázis"), this);
    m_database = new QLineEdit(dbGroup);
    m_browseDb = new QToolButton(dbGroup);
    m_browseDb->setIcon(ZIcon(QStringLiteral("fajl")));
    m_browseDb->setToolTip(QStringLiteral("Adatbázis kiválasztása"));
    m_html = new QLineEdit(dbGroup);
    m_browseHtml = new QToolButton(dbGroup);
    m_browseHtml->setIcon(ZIcon(QStringLiteral("mappa")));
    m_browseHtml->setToolTip(QStringLiteral("Mappa kiválasztása"));
    // The restore copies are safest on another disk than the database.
    m_backup = new QLineEdit(dbGroup);
    m_backup->setObjectName(QStringLiteral("edMentesek"));
    m_backup->setPlaceholderText(QDir::toNativeSeparators(ProgramPath(QStringLiteral("Backup"))));
    m_browseBackup = new QToolButton(dbGroup);
    m_browseBackup->setIcon(ZIcon(QStringLiteral("mappa")));
    m_browseBackup->setToolTip(QStringLiteral("Mappa kiválasztása"));
    m_login = new QCheckBox(QStringLiteral("Belépéskor jelszót kér"), dbGroup);
    auto *dbLayout = new QGridLayout(dbGroup);
    dbLayout->addWidget(new QLabel(QStringLiteral("Adatbázis elérési útvonala"), dbGroup), 0, 0, 1, 2);
    dbLayout->addWidget(m_database, 1, 0);
    dbLayout->addWidget(m_browseDb, 1, 1);
    dbLayout->addWidget(new QLabel(QStringLiteral("HTML exportok mappája"), dbGroup), 2, 0, 1, 2);
    dbLayout->addWidget(m_html, 3, 0);
    dbLayout->addWidget(m_browseHtml, 3, 1);
    dbLayout->addWidget(new QLabel(QStringLiteral("Mentett másolatok mappája (üresen: a program mappájában)"), dbGroup),
                        4, 0, 1, 2);
    dbLayout->addWidget(m_backup, 5, 0);
    dbLayout->addWidget(m_browseBackup, 5, 1);
    dbLayout->addWidget(m_login, 6, 0, 1, 2);

    auto *mailGroup = new QGroupBox(QStringLiteral("Levélküldés"), this);
    m_senderName = new QLineEdit(mailGroup);
    m_senderName->setMaxLength(50);
    m_senderEmail = new QLineEdit(mailGroup);
    m_senderEmail->setMaxLength(75);
    auto *mailLayout = new QGridLayout(mailGroup);
    mailLayout->addWidget(new QLabel(QStringLiteral("küldő neve"), mailGroup), 0, 0);
    mailLayout->addWidget(m_senderName, 1, 0);
    mailLayout->addWidget(new QLabel(QStringLiteral("küldő emil cím"), mailGroup), 2, 0);
    mailLayout->addWidget(m_senderEmail, 3, 0);

    auto *followGroup = new QGroupBox(QStringLiteral("Emlékeztetők és naptárfájlok"), this);
    m_reminder = new QSpinBox(followGroup);
    m_reminder->setObjectName(QStringLiteral("edEmlekeztet"));
    m_reminder->setRange(0, kMaxReminderMinutes);
    m_reminder->setSuffix(QStringLiteral(" perc"));
    m_reminder->setToolTip(QStringLiteral("0: nincs emlékeztető"));
    m_feed = new QLineEdit(followGroup);
    m_feed->setObjectName(QStringLiteral("edFeedMappa"));
    m_feed->setPlaceholderText(QStringLiteral("üres: nem készülnek fájlok"));
    m_browseFeed = new QToolButton(followGroup);
    m_browseFeed->setIcon(ZIcon(QStringLiteral("mappa")));
    m_browseFeed->setToolTip(QStringLiteral("Mappa kiválasztása"));
    auto *followLayout = new QGridLayout(followGroup);
    followLayout->addWidget(new QLabel(QStringLiteral("Emlékeztető a bejegyzés előtt (0: nincs)"), followGroup), 0, 0);
    followLayout->addWidget(m_reminder, 0, 1);
    followLayout->addWidget(new QLabel(QStringLiteral("Naptár- és névjegyfájlok mappája"), followGroup),
                            1, 0, 1, 2);
    followLayout->addWidget(m_feed, 2, 0);
    followLayout->addWidget(m_browseFeed, 2, 1);

    auto *ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    auto *cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    cancel->setObjectName(QStringLiteral("btnMegsem"));
    ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fullScreen);
    layout->addWidget(dbGroup);
    layout->addWidget(mailGroup);
    layout->addWidget(followGroup);
    layout->addLayout(buttons);

    setTabOrder(m_fullScreen, m_database);
    setTabOrder(m_database, m_browseDb);
    setTabOrder(m_browseDb, m_html);
    setTabOrder(m_html, m_browseHtml);
    setTabOrder(m_browseHtml, m_backup);
    setTabOrder(m_backup, m_browseBackup);
    setTabOrder(m_browseBackup, m_login);
    setTabOrder(m_login, m_senderName);
    setTabOrder(m_senderName, m_senderEmail);
    setTabOrder(m_senderEmail, m_reminder);
    setTabOrder(m_reminder, m_feed);
    setTabOrder(m_feed, m_browseFeed);
    setTabOrder(m_browseFeed, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_browseDb, &QToolButton::clicked, this, &Tfrm_Beallit::chooseDatabase);
    connect(m_browseHtml, &QToolButton::clicked, this, &Tfrm_Beallit::chooseHtmlDir);
    connect(m_browseBackup, &QToolButton::clicked, this, &Tfrm_Beallit::chooseBackupDir);
    connect(m_browseFeed, &QToolButton::clicked, this, &Tfrm_Beallit::chooseFeedDir);
    connect(m_login, &QCheckBox::clicked, this, [this] { m_loginTouched = true; });

    const TBeall &beall = Beall();
    m_fullScreen->setChecked(beall.FullScreen);
    m_database->setText(beall.DatabasePath);
    m_html->setText(beall.HtmlDir);
    m_backup->setText(QDir::toNativeSeparators(ChosenRestoreCopyFolder()));
    m_reminder->setValue(qBound(0, beall.ReminderMinutes, kMaxReminderMinutes));
    m_feed->setText(beall.FeedDir);

    setFixedSize(460, sizeHint().height());
    RestoreFormPosition(this, kForm);
}

void Tfrm_Beallit::chooseDatabase()
{
    const QFileInfo current(m_database->text());
    QString file = chooseOpenFile(this, QStringLiteral("Adatbázis"), current.absolutePath(),
                                  QStringLiteral("SQB állományok (*.sqb)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".sqb");
    m_database->setText(QDir::toNativeSeparators(file));
}

void Tfrm_Beallit::chooseHtmlDir()
{
    const QString dir = chooseFolder(this, QStringLiteral("Adatbázis útvonala"), m_html->text());
    if (!dir.isEmpty())
        m_html->setText(QDir::toNativeSeparators(dir));
}

void Tfrm_Beallit::chooseBackupDir()
{
    const QString dir = chooseFolder(this, QStringLiteral("Mentett másolatok mappája"),
                                     m_backup->text().isEmpty() ? RestoreCopyFolder() : m_backup->text());
    if (!dir.isEmpty())
        m_backup->setText(QDir::toNativeSeparators(dir));
}

void Tfrm_Beallit::chooseFeedDir()
{
    const QString dir = chooseFolder(this, QStringLiteral("Naptár- és névjegyfájlok mappája"), m_feed->text());
    if (!dir.isEmpty())
        m_feed->setText(QDir::toNativeSeparators(dir));
}

void Tfrm_Beallit::loadFromRow()
{
    zdb::Table *tbl = Shared().TblBeallit;
    m_login->setChecked(tbl->text(QStringLiteral("vanbelep")) == QLatin1String("I"));
    m_senderName->setText(VarToStrNull(tbl->value(QStringLiteral("sendername"))));
    m_senderEmail->setText(VarToStrNull(tbl->value(QStringLiteral("senderemil"))));
    m_senderName->setModified(false);
    m_senderEmail->setModified(false);
    m_loginTouched = false;
}

void Tfrm_Beallit::storeIntoRow()
{
    // Only what the user touched is written, so an untouched field of a new
    // row stays empty (null) as it was.
    zdb::Table *tbl = Shared().TblBeallit;
    if (m_loginTouched)
        tbl->setValue(QStringLiteral("vanbelep"), m_login->isChecked() ? QStringLiteral("I") : QStringLiteral("N"));
    if (m_senderName->isModified())
        tbl->setValue(QStringLiteral("sendername"), m_senderName->text());
    if (m_senderEmail->isModified())
        tbl->setValue(QStringLiteral("senderemil"), m_senderEmail->text());
}

void Tfrm_Beallit::done(int result)
{
    RememberFormPosition(this, kForm);
    QDialog::done(result);
}

bool EditSettings(QWidget *parent)
{
    zdb::Table *tbl = Shared().TblBeallit;
    Tfrm_Beallit dialog(parent);
    tbl->open();
    tbl->edit();
    dialog.loadFromRow();
    const bool ok = execDialog(&dialog) == QDialog::Accepted;
    struct CloseTable
    {
        zdb::Table *t;
        ~CloseTable() { t->close(); }
    } closer{tbl};
    if (!ok) {
        tbl->cancel();
        return false;
    }
    TBeall &beall = Beall();
    beall.FullScreen = dialog.fullScreenBox()->isChecked();
    beall.DatabasePath = dialog.databaseEdit()->text();
    beall.HtmlDir = dialog.htmlEdit()->text();
    SetRestoreCopyFolder(dialog.backupEdit()->text());
    beall.ReminderMinutes = dialog.reminderBox()->value();
    beall.FeedDir = dialog.feedEdit()->text().trimmed();
    dialog.storeIntoRow();
    tbl->post();
    return true;
}
