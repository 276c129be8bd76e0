#pragma once

// "Rendszer / Visszaállítás...": the restore copies with their date, time,
// cause and size; the chosen one replaces the database after a confirmation,
// a copy of the current state taken first so the restore can be undone.
// And the start-up check that offers the newest good copy of a damaged file.

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;

class Tfrm_Visszaallit : public QDialog
{
    Q_OBJECT
public:
    // `restore` puts the copy at the path in place (the main window closes
    // its lists around it); it throws on failure.
    Tfrm_Visszaallit(std::function<void(const QString &copy)> restore, QWidget *parent = nullptr);

    void reload();
    QTreeWidget *list() const { return m_list; }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void restoreSelected();

    std::function<void(const QString &)> m_restore;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restoreButton = nullptr;
};

void ShowRestoreCopies(std::function<void(const QString &copy)> restore, QWidget *owner);

// Checks the database file before the start opens it. A damaged file gives a
// message offering the newest sound copy: taken, the damaged file is set
// aside (renamed) and the copy put in its place; declined, the start ends
// and the file is left exactly as it was. False ends the start.
bool CheckDatabaseAtStart(const QString &path, QWidget *owner);
