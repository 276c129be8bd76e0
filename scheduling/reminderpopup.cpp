#include "scheduling/reminderpopup.h"

#include "scheduling/entries.h"
#include "scheduling/schedulingevents.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"

#include "db/recordset.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tfrm_Emlekezteto::Tfrm_Emlekezteto(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frm_Emlekezteto"));
    setWindowTitle(QStringLiteral("Emlékeztető"));
    setWindowIcon(ZIcon(QStringLiteral("naptar")));
    setAttribute(Qt::WA_QuitOnClose, false);

    aMegnyit = MakeAction(this, QStringLiteral("aMegnyit"), QStringLiteral("Megnyit"),
                          QStringLiteral("A bejegyzés megnyitása"), {}, QStringLiteral("megnyit"));
    aKesobb = MakeAction(this, QStringLiteral("aKesobb"), QStringLiteral("Később"),
                         QStringLiteral("Emlékeztetés újra 5 perc múlva"), {}, QStringLiteral("naptar"));
    aBezar = MakeAction(this, QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"),
                        QKeySequence(Qt::Key_Escape), QStringLiteral("bezar"));
    for (QAction *a : {aMegnyit, aKesobb, aBezar})
        addAction(a);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("TitleLabel"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("TextLabel"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(260);

    m_open = new QPushButton(aMegnyit->icon(), aMegnyit->text(), this);
    m_open->setObjectName(QStringLiteral("btnMegnyit"));
    m_later = new QPushButton(aKesobb->icon(), aKesobb->text(), this);
    m_later->setObjectName(QStringLiteral("btnKesobb"));
    connect(m_open, &QPushButton::clicked, aMegnyit, &QAction::trigger);
    connect(m_later, &QPushButton::clicked, aKesobb, &QAction::trigger);
    m_open->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_later);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    connect(aMegnyit, &QAction::triggered, this, [this] {
        const Item item = m_current;
        showNext();
        if (item.isReminder)
            Q_EMIT openEntry(item.reminder.entry.id, item.reminder.entry.day);
        else
            Q_EMIT openDueTasks();
    });
    connect(aKesobb, &QAction::triggered, this, [this] {
        const Item item = m_current;
        showNext();
        if (item.isReminder)
            Q_EMIT snoozed(item.reminder.entry.id);
    });
    connect(aBezar, &QAction::triggered, this, [this] { showNext(); });
}

QString Tfrm_Emlekezteto::ReminderText(const Reminder &r)
{
    QString text = QStringLiteral("%1:00  %2").arg(r.entry.hour, 2, 10, QLatin1Char('0')).arg(r.entry.text);
    if (!r.entry.customer.isEmpty())
        text += QLatin1Char('\n') + r.entry.customer;
    if (r.late)
        text += QStringLiteral("\n(elmúlt, késve jelzett emlékeztető)");
    return text;
}

QString Tfrm_Emlekezteto::shownText() const
{
    return m_showing ? m_text->text() : QString();
}

void Tfrm_Emlekezteto::addReminder(const Reminder &reminder)
{
    Item item;
    item.isReminder = true;
    item.reminder = reminder;
    item.text = ReminderText(reminder);
    m_queue << item;
    if (!m_showing)
        showNext();
}

void Tfrm_Emlekezteto::addNotice(const QString &text)
{
    Item item;
    item.text = text;
    m_queue << item;
    if (!m_showing)
        showNext();
}

void Tfrm_Emlekezteto::present(const Item &item)
{
    m_current = item;
    m_showing = true;
    m_title->setText(item.isReminder ? (item.reminder.late ? QStringLiteral("Elmúlt bejegyzés") : QStringLiteral("Közelgő bejegyzés"))
                                     : QStringLiteral("Határidős feladatok"));
    m_text->setText(item.text);
    m_later->setVisible(item.isReminder);
    aKesobb->setEnabled(item.isReminder);
    adjustSize();
    if (!isVisible()) {
        // Bottom right of the work area, where desktop notifications appear.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.right() - width() - 16, area.bottom() - height() - 48);
        }
    }
    show();
    raise();
}

void Tfrm_Emlekezteto::showNext()
{
    if (m_queue.isEmpty()) {
        m_showing = false;
        m_current = Item{};
        hide();
        return;
    }
    present(m_queue.takeFirst());
}

void Tfrm_Emlekezteto::closeEvent(QCloseEvent *event)
{
    // Closing the window dismisses what it shows; what waits comes next.
    event->ignore();
    showNext();
}

void EditCalendarEntryOfDay(int id, const QDate &day)
{
    zdb::Table *tbl = Shared().TblNaptar;
    if (!tbl || id <= 0 || !day.isValid())
        return;
    bool opened = false;
    if (tbl->isOpen()) {
        // The windows on the shared record set follow it to the entry's day.
        if (Beall().CalendarDay != day || !tbl->filtered())
            ShowCalendarDay(day);
    } else {
        SetCalendarDayFilter(*tbl, day);
        tbl->setFiltered(true);
        tbl->open();
        opened = true;
    }
    struct CloseAfter
    {
        zdb::Table *t;
        bool on;
        ~CloseAfter()
        {
            if (on && t->isOpen() && !t->isEditing())
                t->close();
        }
    } closer{tbl, opened};
    if (!tbl->locate(QStringLiteral("dolog1"), id)) {
        ShowWarning(QStringLiteral("A bejegyzés már nem található."));
        return;
    }
    EditCalendarEntry(false, -1, -1, QString());
}
