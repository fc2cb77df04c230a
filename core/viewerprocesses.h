// Help viewers run in processes of their own, so Dravolt itself never loads
// the web engine. This keeps track of the viewers this Dravolt started.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QProcess;

class ViewerProcesses : public QObject
{
    Q_OBJECT

public:
    static ViewerProcesses &instance();

    // The viewer program: beside the running executable.
    static QString programPath();
    // For tests: look in this folder instead; an empty text restores the default.
    static void setProgramFolder(const QString &folder);

    // Starts one new viewer on the address. On failure returns false and says
    // why in *reason.
    bool open(const QString &address, QString *reason = nullptr);

    // Ends every viewer this Dravolt started that is still open.
    void endAll();

    // Viewers started by this Dravolt that are still running.
    int runningCount() const { return int(running.size()); }

private:
    ViewerProcesses() = default;
    void forget(QProcess *process);

    // Deliberately without a parent and never deleted while running: a
    // running viewer outlives Dravolt unless Exit ends it.
    QList<QProcess *> running;
};
