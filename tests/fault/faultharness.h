#pragma once

// The child-process harness of the fault and desk tests: the program's own
// code run as a real second process (tests/fault/faultchild.cpp).

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <sys/types.h>

#include <csignal>

namespace {

const QString kChild = QStringLiteral(ZENTAVO_FAULTCHILD);

// Starts the child and returns once it has printed `lines` lines starting
// with `word` (then kills it with SIGKILL when `kill`).
struct Child
{
    QProcess process;
    QStringList lines;

    void start(const QStringList &args)
    {
        process.setProgram(kChild);
        process.setArguments(args);
        process.start();
        QVERIFY(process.waitForStarted(10000));
    }
    bool waitFor(const QString &word, int count)
    {
        int seen = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                lines << line;
                if (line.startsWith(word) && ++seen >= count)
                    return true;
            }
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        return false;
    }
    void kill()
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(10000);
        lines << QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

} // namespace
