// `dravel --sim`: a simulated receiver on a pseudo-terminal for trying the transfers without one.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Starts stb-sim from the program's own folder with a fresh flash image in a temporary folder and
// reads the device it serves. The simulator ends with this object (or with the program: it stops
// when its output pipe closes).
class SimulatorLauncher
{
public:
    SimulatorLauncher() = default;
    ~SimulatorLauncher();
    SimulatorLauncher(const SimulatorLauncher &) = delete;
    SimulatorLauncher &operator=(const SimulatorLauncher &) = delete;

    // programDir: where stb-sim lies (the editor's own folder). extraArguments go to stb-sim
    // (say "--line-rate", "115200"). False with Error() set when it did not come up.
    bool Start(const QString &programDir, const QStringList &extraArguments = {});
    void Stop();
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }

    const QString &Device() const { return m_device; }
    QString FlashPath() const;
    const QString &Error() const { return m_error; }

    static QString ProgramName();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
    QString m_error;
};
