#include "scheduling/quicklist.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/fieldcolumn.h"
#include "scheduling/entries.h"
#include "scheduling/followup.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "scheduling/records.h"
#include "scheduling/schedulingevents.h"

#include "db/recordset.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kFormName = QStringLiteral("frm_GyorsLista");
constexpr int kDesignWidth = 325;
constexpr int kDesignHeight = 479;
constexpr int kSnapMargin = 15;
constexpr int kMinTextColumn = 40;

QPointer<Tfrm_GyorsLista> &theInstance()
{
    static QPointer<Tfrm_GyorsLista> window;
    return window;
}

// Picture cells plus a thin line under every row: the calendar page shows
// row lines but no column lines.
class RowLineDelegate : public GridPictureDelegate
{
public:
    using GridPictureDelegate::GridPictureDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        GridPictureDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

void setUpGrid(DataGrid *grid, bool rowLines)
{
    grid->horizontalHeader()->hide();
    grid->setShowGrid(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (rowLines)
        grid->setItemDelegate(new RowLineDelegate(grid));
}

QPlainTextEdit *makeTextBox(QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The labels of the generated text line up in a fixed-pitch font.
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
}

// The task page's deadline cell of an overdue task carries the days it is late.
class OverdueDelegate : public GridPictureDelegate
{
public:
    using GridPictureDelegate::GridPictureDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        GridPictureDelegate::initStyleOption(option, index);
        const auto *model = qobject_cast<const RecordSetModel *>(index.model());
        const GridColumn *col = model ? model->column(index.column()) : nullptr;
        if (!col || col->field != u"dat_hatid" || !model->recordSet())
            return;
        const int days = QuickListOverdueDays(*model->recordSet(), index.row());
        if (days > 0)
            option->text += QStringLiteral(" +%1").arg(days);
    }
};

// The generated description of the current row; empty without one.
QString generatedText(const zdb::Table *tbl)
{
    if (!tbl || !tbl->isOpen() || tbl->currentRow() < 0)
        return {};
    QString text = tbl->text(QStringLiteral("genszoveg"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}


} // namespace

Tfrm_GyorsLista::Tfrm_GyorsLista(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("Zentavo"));
    setWindowIcon(ZIcon(QStringLiteral("gyorslista")));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kDesignWidth, kDesignHeight);

    m_tasks = Shared().TblFeladat;
    m_calendar = Shared().TblNaptar;

    createActions();
    m_pages = new QTabWidget(this);
    m_pages->setDocumentMode(true);
    m_pages->addTab(createCalendarPage(), ZIcon(QStringLiteral("naptar")), QStringLiteral("Naptár"));
    m_pages->addTab(createTaskPage(), ZIcon(QStringLiteral("feladat")), QStringLiteral("Feladatok"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_pages);

    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        updateActions();
        (onCalendarPage() ? m_calGrid : m_taskGrid)->setFocus();
    });
    connect(SchedulingEvents::instance(), &SchedulingEvents::calendarDayChanged, this, &Tfrm_GyorsLista::onDayChanged);

    // The short texts take whatever width the other columns leave.
    m_calGrid->viewport()->installEventFilter(this);
    m_taskGrid->viewport()->installEventFilter(this);
}

void Tfrm_GyorsLista::startUp()
{
    Beall().QuickListOpen = true;
    theInstance() = this;
    try {
        openRecordSets();
    } catch (...) {
        // Nothing is left half open: the flag and the record sets go back
        // to how the other windows need them.
        releaseRecordSets();
        m_closed = true;
        throw;
    }

    // Both grids follow their record set; the texts under them follow the current row.
    for (zdb::Table *tbl : {m_calendar.data(), m_tasks.data()}) {
        if (!tbl)
            continue;
        connect(tbl, &zdb::RecordSet::reset, this, [this] { updateTexts(); updateActions(); });
        connect(tbl, &zdb::RecordSet::currentChanged, this, [this] { updateTexts(); updateActions(); });
        connect(tbl, &zdb::RecordSet::rowChanged, this, [this] { updateTexts(); });
        connect(tbl, &zdb::RecordSet::rowRemoved, this, [this] { updateTexts(); updateActions(); });
        connect(tbl, &zdb::RecordSet::rowInserted, this, [this] { updateTexts(); updateActions(); });
    }
    // The main window going away takes the shared record sets with it.
    if (m_tasks)
        connect(m_tasks, &QObject::destroyed, this, [this] {
            m_closed = true;
            delete this;
        });
    // The program ends with the main window: store the bounds on the way out.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QWidget::close);

    updateTexts();
    updateActions();
}

Tfrm_GyorsLista::~Tfrm_GyorsLista()
{
    m_calGrid->viewport()->removeEventFilter(this);
    m_taskGrid->viewport()->removeEventFilter(this);
    if (!m_closed)
        releaseRecordSets();
    if (theInstance() == this)
        theInstance() = nullptr;
}

Tfrm_GyorsLista *Tfrm_GyorsLista::instance()
{
    return theInstance();
}

QAction *Tfrm_GyorsLista::add(const QString &name, const QString &caption, const QString &hint,
                              const QKeySequence &key, const QString &icon)
{
    QAction *a = MakeAction(this, name, caption, hint, key, icon);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    return a;
}

void Tfrm_GyorsLista::createActions()
{
    const auto run = [this](void (Tfrm_GyorsLista::*slot)()) { return Guarded([this, slot] { (this->*slot)(); }); };

    aUj = add(QStringLiteral("aUj"), QStringLiteral("Új dolog"), QStringLiteral("Új Naptar"), QKeySequence(Qt::Key_Insert), QStringLiteral("uj"));
    connect(aUj, &QAction::triggered, this, run(&Tfrm_GyorsLista::newEntry));
    aSzerkeszt = add(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"), QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"));
    connect(aSzerkeszt, &QAction::triggered, this, run(&Tfrm_GyorsLista::editEntry));
    aTorol = add(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"), QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"));
    connect(aTorol, &QAction::triggered, this, run(&Tfrm_GyorsLista::deleteEntry));
    aKesz = add(QStringLiteral("aKesz"), QStringLiteral("Kész!"), QStringLiteral("Kész!"), QKeySequence(Qt::Key_F7), QStringLiteral("kesz"));
    connect(aKesz, &QAction::triggered, this, run(&Tfrm_GyorsLista::toggleDone));
    aTegnap = add(QStringLiteral("aTegnap"), QStringLiteral("Tegnap"), QStringLiteral("Tegnap"), QKeySequence(Qt::CTRL | Qt::Key_Left), QStringLiteral("tegnap"));
    connect(aTegnap, &QAction::triggered, this, Guarded([this] { stepDay(-1); }));
    aDatumra = add(QStringLiteral("aDatumra"), QStringLiteral("Dátumra"), QStringLiteral("Dátumra"), QKeySequence(Qt::CTRL | Qt::Key_D), QStringLiteral("datumra"));
    connect(aDatumra, &QAction::triggered, this, run(&Tfrm_GyorsLista::askDay));
    aHolnap = add(QStringLiteral("aHolnap"), QStringLiteral("Holnap"), QStringLiteral("Holnap"), QKeySequence(Qt::CTRL | Qt::Key_Right), QStringLiteral("holnap"));
    connect(aHolnap, &QAction::triggered, this, Guarded([this] { stepDay(1); }));

    struct StatusCommand { const char *name; const char *caption; QAction *Tfrm_GyorsLista::*member; };
    const StatusCommand statuses[] = {{"aBeerkezett", "Beérkezett", &Tfrm_GyorsLista::aBeerkezett},
                                      {"aFolyamatban", "Folyamatban", &Tfrm_GyorsLista::aFolyamatban},
                                      {"aKeszvan", "Kész", &Tfrm_GyorsLista::aKeszvan},
                                      {"aVisszautasit", "Visszautasítva", &Tfrm_GyorsLista::aVisszautasit}};
    int status = 0;
    for (const StatusCommand &c : statuses) {
        const QString text = QString::fromUtf8(c.caption);
        this->*c.member = add(QString::fromLatin1(c.name), text, text, {}, {});
        connect(this->*c.member, &QAction::triggered, this, Guarded([this, status] { setStatus(status); }));
        ++status;
    }
    aBezar = add(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {}, QStringLiteral("bezar"));
    connect(aBezar, &QAction::triggered, this, &QWidget::close);
}

QWidget *Tfrm_GyorsLista::createCalendarPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);

    // Date strip: the shown day in bold, with the day-stepping buttons.
    auto *strip = new QFrame(page);
    strip->setObjectName(QStringLiteral("DateStrip"));
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setAutoFillBackground(true);
    strip->setBackgroundRole(QPalette::Button);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 1, 1, 1);
    stripLayout->setSpacing(0);
    m_dateLabel = new QLabel(strip);
    m_dateLabel->setObjectName(QStringLiteral("DateLabel"));
    QFont bold = m_dateLabel->font();
    bold.setBold(true);
    m_dateLabel->setFont(bold);
    stripLayout->addWidget(m_dateLabel, 1);
    for (QAction *a : {aTegnap, aDatumra, aHolnap}) {
        auto *button = new QToolButton(strip);
        button->setObjectName(QStringLiteral("btn_") + a->objectName().mid(1));
        button->setDefaultAction(a);
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        stripLayout->addWidget(button);
    }
    layout->addWidget(strip);

    m_calGrid = new DataGrid(page);
    m_calGrid->setObjectName(QStringLiteral("CalendarGrid"));
    setUpGrid(m_calGrid, true);
    GridColumn done;
    done.field = QStringLiteral("kesz");
    done.title = QStringLiteral("?");
    done.width = 20;
    done.picture = [](const QVariant &v) { return DonePicture(v.toString()); };
    GridColumn hour;
    hour.field = QStringLiteral("ora");
    hour.title = QStringLiteral("óra");
    hour.width = 30;
    hour.alignment = Qt::AlignCenter;
    GridColumn text;
    text.field = QStringLiteral("rovid");
    text.title = QStringLiteral("feladat");
    text.width = kDesignWidth / 2;
    m_calGrid->setRecordSet(m_calendar, {done, hour, text});
    m_calGrid->setPopupActions({aUj, aSzerkeszt, aTorol, nullptr,
                                aKesz, nullptr, aTegnap,
                                aDatumra, aHolnap, nullptr,
                                aBezar});
    connect(m_calGrid, &DataGrid::activated, this, [this] { aSzerkeszt->trigger(); });

    m_calText = makeTextBox(page);
    m_calText->setObjectName(QStringLiteral("CalendarText"));

    auto *split = new QSplitter(Qt::Vertical, page);
    split->setChildrenCollapsible(false);
    split->addWidget(m_calGrid);
    split->addWidget(m_calText);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    return page;
}

QWidget *Tfrm_GyorsLista::createTaskPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);

    m_taskGrid = new DataGrid(page);
    m_taskGrid->setObjectName(QStringLiteral("TaskGrid"));
    setUpGrid(m_taskGrid, false);
    GridColumn status;
    status.field = QStringLiteral("statusz");
    status.title = QStringLiteral("!");
    status.width = 20;
    status.picture = [](const QVariant &v) { return StatusPicture(IntOrZero(v)); };
    GridColumn priority;
    priority.field = QStringLiteral("fontos");
    priority.title = QStringLiteral("!");
    priority.width = 20;
    priority.picture = [](const QVariant &v) { return PriorityPicture(IntOrZero(v)); };
    GridColumn deadline;
    deadline.field = QStringLiteral("dat_hatid");
    deadline.title = QStringLiteral("határidő");
    deadline.width = m_taskGrid->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00. +999")) + 10;
    GridColumn text;
    text.field = QStringLiteral("rovid");
    text.title = QStringLiteral("feladat");
    text.width = kDesignWidth / 2;
    m_taskGrid->setRecordSet(m_tasks, {status, priority, deadline, text});
    // Overdue tasks in a colour of their own; the stored rows stay as they are.
    m_taskGrid->setItemDelegate(new OverdueDelegate(m_taskGrid));
    m_taskGrid->setRowStyle([](const zdb::RecordSet &rs, int row) {
        GridRowStyle style;
        if (QuickListOverdueDays(rs, row) > 0) {
            style.text = QuickListOverdueColor();
            style.selectedText = QColor(255, 235, 235);
        }
        return style;
    });

    m_statusMenu = new QMenu(QStringLiteral("Státusz"), this);
    m_statusMenu->setIcon(ZIcon(QStringLiteral("statusz")));
    m_statusMenu->menuAction()->setObjectName(QStringLiteral("aStatusz"));
    for (QAction *a : {aBeerkezett, aFolyamatban, aKeszvan, aVisszautasit})
        m_statusMenu->addAction(a);
    m_taskGrid->setPopupActions({aUj, aSzerkeszt, aTorol, nullptr,
                                 m_statusMenu->menuAction(), aKesz, nullptr,
                                 aBezar});
    connect(m_taskGrid, &DataGrid::activated, this, [this] { aSzerkeszt->trigger(); });

    m_taskText = makeTextBox(page);
    m_taskText->setObjectName(QStringLiteral("TaskText"));

    auto *split = new QSplitter(Qt::Vertical, page);
    split->setChildrenCollapsible(false);
    split->addWidget(m_taskGrid);
    split->addWidget(m_taskText);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    return page;
}

// ---------------------------------------------------------------------------
// The shared record sets

void Tfrm_GyorsLista::openRecordSets()
{
    const TBeall &b = Beall();
    if (m_tasks && !b.TaskWindowOpen) {
        // The filter stays as the task list last left it. Open tasks past
        // their deadline come first, then the rest by deadline.
        m_tasks->setOrder(QuickListTaskOrder());
        m_tasks->open();
    }
    if (m_calendar && !b.CalendarWindowOpen) {
        m_calendar->setOrder(QStringLiteral("ora"));
        ShowDay(b.CalendarDay.isValid() ? b.CalendarDay : QDate::currentDate());
    } else {
        // The calendar window already shows the current day; the strip names it.
        m_dateLabel->setText(CalendarHeaderText(b.CalendarDay.isValid() ? b.CalendarDay : QDate::currentDate()));
    }
}

void Tfrm_GyorsLista::releaseRecordSets()
{
    TBeall &b = Beall();
    b.QuickListOpen = false;
    if (m_tasks && !b.TaskWindowOpen)
        m_tasks->close();
    if (m_calendar && !b.CalendarWindowOpen)
        m_calendar->close();
}

void Tfrm_GyorsLista::ShowDay(const QDate &day)
{
    if (!day.isValid() || !m_calendar)
        return;
    m_dateLabel->setText(CalendarHeaderText(day));
    // Reloads the shared calendar record set; the calendar window, when
    // open, puts the same day into its header.
    ShowCalendarDay(day);
}

void Tfrm_GyorsLista::onDayChanged(const QDate &day)
{
    m_dateLabel->setText(CalendarHeaderText(day));
}

// ---------------------------------------------------------------------------
// Commands

bool Tfrm_GyorsLista::onCalendarPage() const
{
    return m_pages->currentIndex() == CalendarPage;
}

Tfrm_GyorsLista::Page Tfrm_GyorsLista::shownPage() const
{
    return onCalendarPage() ? CalendarPage : TaskPage;
}

void Tfrm_GyorsLista::showPage(Page page)
{
    m_pages->setCurrentIndex(page);
}

bool Tfrm_GyorsLista::currentRowExists(const zdb::Table *tbl) const
{
    return tbl && tbl->isOpen() && tbl->currentRow() >= 0 && !tbl->isEmpty();
}

void Tfrm_GyorsLista::newEntry()
{
    if (onCalendarPage()) {
        EditCalendarEntry(true, -1, -1, QString());
        m_calGrid->syncFromRecordSet();
    } else {
        EditTask(true, -1, -1, QString());
        m_taskGrid->syncFromRecordSet();
    }
}

void Tfrm_GyorsLista::editEntry()
{
    if (onCalendarPage()) {
        if (!currentRowExists(m_calendar))
            return;
        EditCalendarEntry(false, -1, -1, QString());
        m_calGrid->syncFromRecordSet();
    } else {
        if (!currentRowExists(m_tasks))
            return;
        EditTask(false, -1, -1, QString());
        m_taskGrid->syncFromRecordSet();
    }
}

void Tfrm_GyorsLista::deleteEntry()
{
    zdb::Table *tbl = onCalendarPage() ? m_calendar.data() : m_tasks.data();
    if (!currentRowExists(tbl))
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a bejegyzést"), QStringLiteral("Megerősítés"), this))
        return;
    tbl->remove();
}

void Tfrm_GyorsLista::toggleDone()
{
    const bool calendar = onCalendarPage();
    zdb::Table *tbl = calendar ? m_calendar.data() : m_tasks.data();
    if (!currentRowExists(tbl))
        return;
    const QString idField = calendar ? QStringLiteral("dolog1") : QStringLiteral("dolog3");
    if (calendar)
        ToggleCalendarDone(tbl);
    else
        ToggleTaskDone(tbl, StatusRejected);   // the quick list files a finished task as 3
    ReopenKeepingPlace(tbl, idField);
    (calendar ? m_calGrid : m_taskGrid)->syncFromRecordSet();
}

void Tfrm_GyorsLista::stepDay(int days)
{
    if (!onCalendarPage())
        return;
    const QDate day = Beall().CalendarDay.isValid() ? Beall().CalendarDay : QDate::currentDate();
    ShowDay(day.addDays(days));
}

void Tfrm_GyorsLista::askDay()
{
    if (!onCalendarPage())
        return;
    QDate day = Beall().CalendarDay.isValid() ? Beall().CalendarDay : QDate::currentDate();
    if (AskDate(day))
        ShowDay(day);
}

void Tfrm_GyorsLista::setStatus(int status)
{
    if (onCalendarPage() || !currentRowExists(m_tasks))
        return;
    // The row keeps its place until the next reload, even where the filter would hide it now.
    SetTaskStatus(m_tasks, status);
}

void Tfrm_GyorsLista::updateTexts()
{
    const QString cal = generatedText(m_calendar);
    if (m_calText->toPlainText() != cal)
        m_calText->setPlainText(cal);
    const QString task = generatedText(m_tasks);
    if (m_taskText->toPlainText() != task)
        m_taskText->setPlainText(task);
}

void Tfrm_GyorsLista::updateActions()
{
    const bool calendar = onCalendarPage();
    const bool hasRow = currentRowExists(calendar ? m_calendar.data() : m_tasks.data());
    for (QAction *a : {aSzerkeszt, aTorol, aKesz})
        a->setEnabled(hasRow);
    for (QAction *a : {aTegnap, aDatumra, aHolnap})
        a->setEnabled(calendar && m_calendar);
    const bool taskRow = !calendar && hasRow;
    for (QAction *a : {aBeerkezett, aFolyamatban, aKeszvan, aVisszautasit})
        a->setEnabled(taskRow);
    m_statusMenu->setEnabled(taskRow);
}

// ---------------------------------------------------------------------------
// Window

void Tfrm_GyorsLista::fitColumns(DataGrid *grid)
{
    const int text = grid->columnOfField(QStringLiteral("rovid"));
    if (text < 0)
        return;
    int others = 0;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (c != text && !grid->isColumnHidden(c))
            others += grid->columnWidth(c);
    grid->setColumnWidth(text, qMax(kMinTextColumn, grid->viewport()->width() - others));
}

bool Tfrm_GyorsLista::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_calGrid->viewport())
            fitColumns(m_calGrid);
        else if (watched == m_taskGrid->viewport())
            fitColumns(m_taskGrid);
    }
    return QWidget::eventFilter(watched, event);
}

QPoint Tfrm_GyorsLista::SnapToEdges(const QRect &frame, const QRect &area, int margin)
{
    QPoint to = frame.topLeft();
    if (qAbs(frame.left() - area.left()) <= margin)
        to.setX(area.left());
    else if (qAbs(frame.right() - area.right()) <= margin)
        to.setX(area.right() - frame.width() + 1);
    if (qAbs(frame.top() - area.top()) <= margin)
        to.setY(area.top());
    else if (qAbs(frame.bottom() - area.bottom()) <= margin)
        to.setY(area.bottom() - frame.height() + 1);
    return to;
}

void Tfrm_GyorsLista::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (m_snapping || !isVisible())
        return;
    const QRect frame = frameGeometry();
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return;
    const QPoint to = SnapToEdges(frame, screen->availableGeometry(), kSnapMargin);
    if (to != frame.topLeft()) {
        m_snapping = true;
        move(to);
        m_snapping = false;
    }
}

void Tfrm_GyorsLista::showEvent(QShowEvent *event)
{
    if (!m_boundsRestored) {
        m_boundsRestored = true;
        int left = 10, top = 10, w = kDesignWidth, h = kDesignHeight;
        LoadFormBounds(kFormName, left, top, w, h);
        w = qMax(w, minimumSizeHint().width());
        h = qMax(h, minimumSizeHint().height());
        QRect bounds(left, top, w, h);
        // The title bar and the last rows stay reachable: bounds remembered
        // above the screen (Top=-10) or on a screen that is gone come back
        // onto the work area, and what is saved at closing is that place.
        const QScreen *screen = QGuiApplication::screenAt(bounds.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen)
            bounds = ClampToArea(bounds, screen->availableGeometry());
        m_snapping = true;
        resize(bounds.size());
        move(bounds.topLeft());
        m_snapping = false;
    }
    QWidget::showEvent(event);
    (onCalendarPage() ? m_calGrid : m_taskGrid)->setFocus();
}

void Tfrm_GyorsLista::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    releaseRecordSets();
    if (m_boundsRestored)
        SaveFormBounds(kFormName, x(), y(), width(), height());
    if (theInstance() == this)
        theInstance() = nullptr;
    event->accept();
}

Tfrm_GyorsLista *OpenQuickList()
{
    Tfrm_GyorsLista *window = Tfrm_GyorsLista::instance();
    if (!window) {
        std::unique_ptr<Tfrm_GyorsLista> created(new Tfrm_GyorsLista);
        created->startUp();
        window = created.release();
    }
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QString QuickListTaskOrder()
{
    // One expression (the record set puts its order in parentheses); the
    // day is the database's local today, so no value is pasted into the text.
    // The date is read as text, so an empty date of a file and a server's
    // missing one compare alike.
    return QStringLiteral("case when kesz = 'N' and cast(dat_hatid as varchar(10)) <> '' "
                          "and dat_hatid < date('now', 'localtime') then '0' else '1' end "
                          "|| ifnull(cast(dat_hatid as varchar(10)), '')");
}

int QuickListOverdueDays(const zdb::RecordSet &rs, int row)
{
    if (row < 0 || row >= rs.recordCount())
        return 0;
    if (IsDoneFlag(rs.textAt(row, rs.fieldIndex(QStringLiteral("kesz")))))
        return 0;
    const QDate deadline = rs.valueAt(row, QStringLiteral("dat_hatid")).toDate();
    if (!deadline.isValid())
        return 0;
    return int(qMax<qint64>(0, deadline.daysTo(FollowUpNow().date())));
}

QColor QuickListOverdueColor()
{
    return QColor(178, 34, 34);
}
