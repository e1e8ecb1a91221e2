// SimulatorLauncher: stb-sim as a child process, its DEVICE line and its temporary flash image.
#include "transfer/SimulatorLauncher.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr int kStartTimeoutMs = 5000;
} // namespace

SimulatorLauncher::~SimulatorLauncher()
{
    Stop();
}

QString SimulatorLauncher::ProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("stb-sim.exe");
#else
    return QStringLiteral("stb-sim");
#endif
}

QString SimulatorLauncher::FlashPath() const
{
    return m_dir.isValid() ? m_dir.filePath(QStringLiteral("flash.abs")) : QString();
}

bool SimulatorLauncher::Start(const QString &programDir, const QStringList &extraArguments)
{
    Stop();
    m_device.clear();
    m_error.clear();
    const QString program = QDir(programDir).filePath(ProgramName());
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("The simulator %1 was not found.").arg(QDir::toNativeSeparators(program));
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("No temporary folder for the simulator's flash image.");
        return false;
    }
    QFile::remove(FlashPath());  // a fresh image every time
    m_process.setProgram(program);
    m_process.setArguments(QStringList {QStringLiteral("--flash"), FlashPath(), QStringLiteral("--create")}
                           + extraArguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("The simulator did not start: %1").arg(m_process.errorString());
        return false;
    }
    // The first line is "DEVICE <path>".
    QByteArray out;
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!out.contains('\n')) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            m_error = QStringLiteral("The simulator named no device.");
            Stop();
            return false;
        }
        out += m_process.readAllStandardOutput();
    }
    const QByteArray line = out.left(out.indexOf('\n')).trimmed();
    if (!line.startsWith("DEVICE ") || line.size() <= 7) {
        m_error = QStringLiteral("The simulator answered: %1").arg(QString::fromUtf8(line));
        Stop();
        return false;
    }
    m_device = QString::fromUtf8(line.mid(7));
    return true;
}

void SimulatorLauncher::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}
