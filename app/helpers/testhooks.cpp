#include "app/helpers/testhooks.h"

#include "app/helpers/appcore.h"

#include <QApplication>

#include "app/helpers/helpers.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QPointer>
#include <QQueue>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace testhooks {

namespace {

struct State
{
    bool automatic = false;
    QQueue<bool> answers;
    QQueue<std::pair<bool, QString>> inputs;
    QQueue<QString> fileNames;
    QString fileFilter;
    bool trayAssumed = false;
    QQueue<QString> folders;
    QQueue<std::function<void(QDialog *)>> dialogCallbacks;
    QList<ShownMessage> messages;
    bool echo = false;
    std::function<void(QDialog *)> unexpected;
};

State &state()
{
    static State s;
    return s;
}

template <typename T>
bool takeFrom(QQueue<T> &queue, T &out)
{
    if (queue.isEmpty())
        return false;
    out = queue.dequeue();
    return true;
}

} // namespace

void setAutomatic(bool on) { state().automatic = on; }
bool automatic() { return state().automatic; }

void setNextAnswer(bool yes) { state().answers.enqueue(yes); }
void setNextInput(bool ok, const QString &text) { state().inputs.enqueue({ok, text}); }
void setNextFileName(const QString &fileName) { state().fileNames.enqueue(fileName); }
void setSystemTrayAssumed(bool on) { state().trayAssumed = on; }
bool systemTrayAssumed() { return state().trayAssumed; }
void setNextFileFilter(const QString &filter) { state().fileFilter = filter; }
void setNextFolder(const QString &folder) { state().folders.enqueue(folder); }

QList<ShownMessage> shownMessages() { return state().messages; }

ShownMessage lastMessage()
{
    const auto &messages = state().messages;
    return messages.isEmpty() ? ShownMessage{} : messages.last();
}

void clearMessages() { state().messages.clear(); }

void onNextDialog(std::function<void(QDialog *)> callback)
{
    state().dialogCallbacks.enqueue(std::move(callback));
}

int pendingDialogCallbacks() { return static_cast<int>(state().dialogCallbacks.size()); }

void onUnexpectedDialog(std::function<void(QDialog *)> handler)
{
    state().unexpected = std::move(handler);
}

void unexpectedDialog(QDialog *dialog)
{
    if (state().unexpected)
        state().unexpected(dialog);
}

void reset()
{
    State &s = state();
    s.answers.clear();
    s.inputs.clear();
    s.fileNames.clear();
    s.fileFilter.clear();
    s.trayAssumed = false;
    s.folders.clear();
    s.dialogCallbacks.clear();
    s.messages.clear();
}

bool takeAnswer(bool &yes) { return takeFrom(state().answers, yes); }

bool takeInput(bool &ok, QString &text)
{
    std::pair<bool, QString> input;
    if (!takeFrom(state().inputs, input))
        return false;
    ok = input.first;
    text = input.second;
    return true;
}

bool takeFileName(QString &fileName) { return takeFrom(state().fileNames, fileName); }
QString takeFileFilter() { return std::exchange(state().fileFilter, QString()); }
bool takeFolder(QString &folder) { return takeFrom(state().folders, folder); }
void recordMessage(const ShownMessage &m)
{
    state().messages.append(m);
    if (state().echo) {
        QString text = m.text;
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stderr, "zentavo-message: %s: %s\n", m.caption.toUtf8().constData(), text.toUtf8().constData());
        std::fflush(stderr);
    }
}

void armFromEnvironment()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("ZENTAVO_TEST_QUIT_MS", &ok);
    if (!ok || ms < 0)
        return;
    setAutomatic(true);
    state().echo = true;
    // Tried again until the main window is shown and no dialog runs: a quit
    // asked for before the event loop starts would be lost.
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(ms);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        const QList<QWidget *> windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            if (w->objectName() != QLatin1String("frm_Main"))
                continue;
            if (!w->isVisible() || QApplication::activeModalWidget())
                return;
            timer->stop();
            w->close();
            return;
        }
        timer->stop();
        QCoreApplication::quit();
    });
    timer->start();
}

// For execDialog only: the callback that answers the next dialog.
static bool takeDialogCallback(std::function<void(QDialog *)> &callback)
{
    return takeFrom(state().dialogCallbacks, callback);
}

} // namespace testhooks

QWidget *DialogParent()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return Shared().mainWindow;
}

int execDialog(QDialog *dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    if (testhooks::automatic()) {
        QPointer<QDialog> guard(dialog);
        std::function<void(QDialog *)> callback;
        if (testhooks::takeDialogCallback(callback)) {
            // Runs inside the modal loop, the way a user would answer. When the
            // callback leaves the dialog open, it is cancelled rather than
            // leaving the run waiting for a user who is not there.
            QTimer::singleShot(0, dialog, [guard, callback] {
                callback(guard.data());
                if (guard && guard->isVisible())
                    guard->reject();
            });
        } else {
            testhooks::unexpectedDialog(dialog);
            QTimer::singleShot(0, dialog, &QDialog::reject);
        }
    }
    return dialog->exec();
}

QString chooseOpenFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    if (testhooks::automatic()) {
        QString name;
        testhooks::takeFileName(name);
        return name;
    }
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                       QString *selectedFilter)
{
    if (testhooks::automatic()) {
        QString name;
        testhooks::takeFileName(name);
        const QString chosen = testhooks::takeFileFilter();
        if (selectedFilter && !chosen.isEmpty())
            *selectedFilter = chosen;
        return name;
    }
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter);
}

namespace {

// The first "*.ext" of a filter such as "Text file-ok (*.txt *.csv)".
QString filterSuffix(const QString &filter, const QString &fallback)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : fallback;
}

} // namespace

QString chooseSaveFileWithSuffix(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                                 const QString &suffix, QString *selectedFilter)
{
    QString chosenFilter = selectedFilter && !selectedFilter->isEmpty() ? *selectedFilter : filter.section(QStringLiteral(";;"), 0, 0);
    QString name;
    if (testhooks::automatic()) {
        testhooks::takeFileName(name);
        const QString hooked = testhooks::takeFileFilter();
        if (!hooked.isEmpty())
            chosenFilter = hooked;
    } else {
        // The dialog adds the extension itself where it can, and then asks
        // about the very file that will be written.
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectNameFilter(chosenFilter);
        dialog.setDefaultSuffix(filterSuffix(chosenFilter, suffix));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &suffix](const QString &f) { dialog.setDefaultSuffix(filterSuffix(f, suffix)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        name = dialog.selectedFiles().constFirst();
        chosenFilter = dialog.selectedNameFilter();
    }
    if (name.isEmpty())
        return {};
    if (selectedFilter)
        *selectedFilter = chosenFilter;
    const QString ext = filterSuffix(chosenFilter, suffix);
    if (QFileInfo(name).suffix().isEmpty() && !ext.isEmpty()) {
        name += QLatin1Char('.') + ext;
        if (QFileInfo::exists(name)
            && !AskYesNo(QStringLiteral("A(z) „%1” file már létezik.\nLecseréli?").arg(QDir::toNativeSeparators(name)), caption,
                         parent))
            return {};
    }
    return name;
}

QString chooseFolder(QWidget *parent, const QString &caption, const QString &dir)
{
    if (testhooks::automatic()) {
        QString folder;
        testhooks::takeFolder(folder);
        return folder;
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
