#pragma once

// Commands are QActions with an object name, a caption, a hint (shown in the
// status bar and as a tool tip) and an optional shortcut.

#include <QAction>
#include <QKeySequence>
#include <QString>

class QMenu;

// The compiled-in pictures and texts live in a static library: this keeps
// them linked in and registered. Called by everything that reads them.
void InitZentavoResources();

QIcon ZIcon(const QString &name);   // ":/icons/<name>.svg"
QPixmap ZPicture(const QString &name, int size); // ":/pics/<name>.svg" at size x size

QAction *MakeAction(QObject *parent, const QString &objectName, const QString &caption,
                    const QString &hint = {}, const QKeySequence &shortcut = {},
                    const QString &iconName = {});

// Fills a menu from actions; nullptr stands for a separator line.
void AddActions(QMenu *menu, const QList<QAction *> &actions);
