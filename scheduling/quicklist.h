#pragma once

// The quick list: a small free-standing window with the current calendar
// day's entries on one page and the open tasks on the other, working on the
// main window's shared task and calendar record sets.

#include <QColor>
#include <QDate>
#include <QPointer>
#include <QRect>
#include <QWidget>

class DataGrid;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;

namespace zdb {
class RecordSet;
class Table;
}

// The task page's order when the quick list opens the task record set:
// open tasks past their deadline first, then by deadline.
QString QuickListTaskOrder();
// Days an open task of a row is past its deadline; 0 when it is not late.
int QuickListOverdueDays(const zdb::RecordSet &rs, int row);
// The text colour of an overdue task.
QColor QuickListOverdueColor();

class Tfrm_GyorsLista : public QWidget
{
    Q_OBJECT
public:
    enum Page { CalendarPage = 0, TaskPage = 1 };

    explicit Tfrm_GyorsLista(QWidget *parent = nullptr);
    ~Tfrm_GyorsLista() override;

    // The one quick list, or nullptr.
    static Tfrm_GyorsLista *instance();

    // Commands, by their object names.
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr, *aKesz = nullptr;
    QAction *aTegnap = nullptr, *aDatumra = nullptr, *aHolnap = nullptr, *aBezar = nullptr;
    QAction *aBeerkezett = nullptr, *aFolyamatban = nullptr, *aKeszvan = nullptr, *aVisszautasit = nullptr;
    QTabWidget *pages() const { return m_pages; }
    DataGrid *calendarGrid() const { return m_calGrid; }
    DataGrid *taskGrid() const { return m_taskGrid; }
    QPlainTextEdit *calendarText() const { return m_calText; }
    QPlainTextEdit *taskText() const { return m_taskText; }
    QLabel *dateStrip() const { return m_dateLabel; }
    Page shownPage() const;
    void showPage(Page page);

    // Makes a day the current calendar day and shows its entries.
    void ShowDay(const QDate &day);

    // Where a window's frame goes when it comes within `margin` pixels of an
    // edge of the work area: flush against that edge.
    static QPoint SnapToEdges(const QRect &frame, const QRect &area, int margin);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend Tfrm_GyorsLista *OpenQuickList();
    // Opens the shared record sets the way the open windows allow; throws
    // when they cannot be opened.
    void startUp();
    QAction *add(const QString &name, const QString &caption, const QString &hint,
                 const QKeySequence &key, const QString &icon);
    void createActions();
    QWidget *createCalendarPage();
    QWidget *createTaskPage();
    void openRecordSets();
    void releaseRecordSets();
    void fitColumns(DataGrid *grid);
    void updateTexts();
    void updateActions();
    bool onCalendarPage() const;
    bool currentRowExists(const zdb::Table *tbl) const;

    void newEntry();
    void editEntry();
    void deleteEntry();
    void toggleDone();
    void stepDay(int days);
    void askDay();
    void setStatus(int status);
    void onDayChanged(const QDate &day);

    QPointer<zdb::Table> m_tasks;
    QPointer<zdb::Table> m_calendar;
    QTabWidget *m_pages = nullptr;
    DataGrid *m_calGrid = nullptr;
    DataGrid *m_taskGrid = nullptr;
    QPlainTextEdit *m_calText = nullptr;
    QPlainTextEdit *m_taskText = nullptr;
    QLabel *m_dateLabel = nullptr;
    QMenu *m_statusMenu = nullptr;
    bool m_boundsRestored = false;
    bool m_snapping = false;
    bool m_closed = false;
};

// "Gyorslista": creates the quick list when there is none, then shows it and
// brings it to the front. The main window is left as it is (it may be in the tray).
Tfrm_GyorsLista *OpenQuickList();
