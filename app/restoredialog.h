#pragma once

// "Rendszer / Visszaállítás...": the restore copies of the open database
// with their date, time, cause, verdict and size (the copies of other
// databases on request, marked as such); the chosen one replaces the
// database after a confirmation. And the start-up check that gives a
// verdict on the database file and offers the newest sound copy of the same
// database, or this window, when the file is missing or damaged.

#include "app/helpers/core/restorecopies.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;
class QTreeWidget;

class Tfrm_Visszaallit : public QDialog
{
    Q_OBJECT
public:
    // `restore` puts the copy at the path in place; it throws on failure.
    // At start (`atStart`) the damaged file is kept aside instead of a copy
    // of the current state, and the window closes once a copy is in place.
    Tfrm_Visszaallit(const DatabaseKey &database, std::function<void(const QString &copy)> restore,
                     bool atStart = false, QWidget *parent = nullptr);

    void reload();
    QTreeWidget *list() const { return m_list; }
    QCheckBox *othersBox() const { return m_others; }
    bool restored() const { return m_restored; }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void restoreSelected();

    DatabaseKey m_database;
    std::function<void(const QString &)> m_restore;
    bool m_atStart = false;
    bool m_restored = false;
    QTreeWidget *m_list = nullptr;
    QCheckBox *m_others = nullptr;
    QPushButton *m_restoreButton = nullptr;
};

void ShowRestoreCopies(const DatabaseKey &database, std::function<void(const QString &copy)> restore, QWidget *owner);

// Checks the database file before the start opens it: missing, empty, not a
// database, an interrupted write (rolled back first, then checked), damaged
// pages, or sound. A missing or damaged file gives a message offering the
// newest sound copy of the same database, and then the copies' window;
// restored, the damaged file stays beside it under another name; declined,
// the start ends and the file is left as it was. False ends the start.
bool CheckDatabaseAtStart(const QString &path, QWidget *owner);
