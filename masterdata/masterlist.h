#pragma once

// What the customer, product and project list windows share beyond ListChild:
// the marker columns, the commands reaching a master record's tasks, calendar
// entries and comments, and the rewrite of the name copied into tasks and
// calendar entries.

#include "app/helpers/recordsetmodel.h"

#include <QString>

class ListChild;
class QAction;
namespace zdb {
class RecordSet;
class Table;
}

// The "!" column: a dark-red cross when `vanmegj` is "N", the note sheet with
// a red pin for any other value (empty included).
GridColumn CommentMarkerColumn();
// The "?" column of projects: the cross when `lezarva` is "N", a padlock for
// any other value.
GridColumn ClosedMarkerColumn();

// Sets `nameField` and its sort key to `name` in every task (dolog3) and
// calendar entry (dolog1) whose `idField` is `id` (not for id 0). Errors go
// up to the general error handling.
void RewriteCopiedName(const QString &idField, const QString &nameField, int id, const QString &name);

// The commands acting on the selected master record, made on `w`. Their
// targets are read from the window's current row (`idField`, `nameField`).
struct LinkedCommands
{
    QAction *aFeladat = nullptr;     // "Feladatok"
    QAction *aUjFeladat = nullptr;   // "Új feladat"
    QAction *aNaptar = nullptr;      // "Naptár"
    QAction *aUjNaptar = nullptr;    // "Új naptár bejegyzés"
    QAction *aMegjegyzes = nullptr;  // `commentCaption`, hint "Megjegyzések", Ctrl+N

    // Those that are available, for the window's row commands.
    QList<QAction *> rowCommands() const;
};
LinkedCommands AddLinkedCommands(ListChild *w, int linkKind, const QString &idField, const QString &nameField,
                                 const QString &commentCaption);

// The identifier and name of the window's current row; 0 and empty when none.
int CurrentMasterId(const ListChild *w, const QString &idField);
// The current row's identifier; a row without one (empty or 0, as another
// program may leave it) first gets one from the before-save rule, so what is
// linked to it now is not orphaned when it gets one later. 0 for an empty
// list or when the row cannot be stored (the failure is reported).
int GiveMasterId(zdb::Table *tbl, const QString &idField);
QString CurrentMasterName(const ListChild *w, const QString &nameField);

// Posts the row in edit mode; when the post fails the row is cancelled (not
// left half-edited behind a one-shot command) and the error goes on up.
void PostOrCancel(zdb::RecordSet *recordSet);
