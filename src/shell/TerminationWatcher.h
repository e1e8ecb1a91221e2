// Turns SIGTERM (and SIGINT) into a Qt signal on the user-interface thread, through a self-pipe.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

    // Installs the handlers; false when the pipe could not be made. One watcher at a time.
    bool Install();
    bool IsInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    // A termination request arrived; the argument is the signal number.
    void TerminationRequested(int signalNumber);

private:
    void OnReadable();
    void Uninstall();

    QSocketNotifier *m_notifier = nullptr;
};
