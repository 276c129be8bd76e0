#pragma once

// The project list "Projektek": the project register, by default only the
// open projects, with the commands that close and reopen a project and reach
// its tasks, calendar entries and comments.

#include "app/helpers/listchild.h"
#include "masterdata/masterlist.h"

class Tfrm_Projekt : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Projekt(QWidget *parent = nullptr);
    ~Tfrm_Projekt() override;

    void newProject();
    // Edits the selected project and rewrites its name in tasks and calendar entries.
    void editProject();
    void deleteProject();
    // "Szűrés": only open projects (on) or every project (off); the first row becomes current.
    void setOpenProjectsFilter(bool on);
    // "Lezárom": open -> closed today, anything else -> open; then reload and find the project again.
    void toggleClosed();

    QAction *aSzur = nullptr;
    QAction *aUj = nullptr;
    QAction *aImport = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    LinkedCommands linked;
    QAction *aLezar = nullptr;
    QAction *aBezar = nullptr;

private:
    bool hasCurrent() const;

    zdb::Table *m_tbl = nullptr;
};

// The filter of the open projects: "lezarva='N'".
extern const char *const kOpenProjectsFilter;
