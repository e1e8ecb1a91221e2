// Test helper: runs stb-sim on a pseudo-terminal and reads its flash image afterwards.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

class SimProcess
{
public:
    ~SimProcess() { Stop(); }

    static QString Program() { return QStringLiteral(DRAVEL_BIN_DIR "/stb-sim"); }

    // Starts the simulator and waits for its "DEVICE <path>" line.
    bool Start(const QStringList &args)
    {
        m_process.setProgram(Program());
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        QByteArray out;
        while (!out.contains('\n')) {
            if (!m_process.waitForReadyRead(5000))
                return false;
            out += m_process.readAllStandardOutput();
        }
        const QByteArray line = out.left(out.indexOf('\n')).trimmed();
        if (!line.startsWith("DEVICE "))
            return false;
        m_device = QString::fromUtf8(line.mid(7));
        return true;
    }
    const QString &Device() const { return m_device; }

    // SIGTERM: the simulator writes its flash back and ends.
    bool Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QByteArray Log() { return m_process.readAllStandardError(); }
    qint64 Pid() const { return m_process.processId(); }
    bool WaitFinished(int ms) { return m_process.waitForFinished(ms); }
    int ExitCode() const { return m_process.exitCode(); }

private:
    QProcess m_process;
    QString m_device;
};

inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
