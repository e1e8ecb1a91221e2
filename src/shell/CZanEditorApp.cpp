// The application object: start-up in the order the editor needs it.
#include "shell/CZanEditorApp.h"

#include "core/UserPrompt.h"
#include "transfer/SimulatorLauncher.h"
#include "transfer/TransferCommands.h"

#include "shell/CMainFrame.h"
#include "shell/TerminationWatcher.h"

#include <QCommandLineParser>
#include <QProcessEnvironment>
#include <QTimer>

CZanEditorApp::CZanEditorApp(int &argc, char **argv) : QApplication(argc, argv)
{
    SetApplicationNames();
}

CZanEditorApp::~CZanEditorApp() = default;

void CZanEditorApp::SetApplicationNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("ZanEditor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.0.1c"));
    // No display name: the toolkit appends one to every window title that does not end with it,
    // which made the frame's "Dravel - <path>" read "Dravel - <path> — Dravel". Every window and
    // box here names itself.
    QGuiApplication::setDesktopFileName(QStringLiteral("dravel"));
}

QString CZanEditorApp::HelpText()
{
    // Written out rather than asked of the parser: help must work before any application object
    // exists, so that it works without a display.
    return QStringLiteral(
        "Usage: dravel [FILE]\n"
        "       dravel --open FILE\n"
        "Dravel: the channel database editor for satellite set-top boxes.\n"
        "\n"
        "Options:\n"
        "  -o, --open FILE  Open the database FILE (.usd or .ddf) at start.\n"
        "      --sim        Start the simulated receiver stb-sim and use its line for transfers.\n"
        "  -h, --help       Show this help and exit.\n"
        "  -v, --version    Show the version and exit.\n"
        "\n"
        "Arguments:\n"
        "  FILE             A database to open (.usd or .ddf).\n"
        "\n"
        "Without a display, the command-line tool dravel-cli does every file operation.\n");
}

QString CZanEditorApp::MissingDisplay(const QProcessEnvironment &environment)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const bool chosenPlatform = !environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty();
    const bool display = !environment.value(QStringLiteral("DISPLAY")).isEmpty()
        || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!chosenPlatform && !display) {
        return QStringLiteral(
            "dravel: no display to show the editor on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
            "Start it in a desktop session, or try the command-line tool instead:\n"
            "  dravel-cli --help\n"
            "  dravel-cli info samples/small.usd\n");
    }
#else
    Q_UNUSED(environment);
#endif
    return QString();
}

EditorCommandLine CZanEditorApp::ParseEditorCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList {QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption open(QStringList {QStringLiteral("o"), QStringLiteral("open")},
                                  QStringLiteral("Open the database FILE (.usd or .ddf) at start."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption simulator(QStringLiteral("sim"),
                                       QStringLiteral("Start the simulated receiver stb-sim and use its line."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(open);
    parser.addOption(simulator);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A database to open (.usd or .ddf)."),
                                 QStringLiteral("[FILE]"));

    EditorCommandLine result;
    if (!parser.parse(arguments)) {
        result.exitNow = true;
        result.exitCode = 2;
        result.output = parser.errorText() + QStringLiteral("\n\n") + HelpText();
        return result;
    }
    if (parser.isSet(help)) {
        result.exitNow = true;
        result.output = HelpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitNow = true;
        result.output = QStringLiteral("Dravel DB4 0.0.1c 2009-07-31\n");
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1 || (parser.isSet(open) && !positional.isEmpty())) {
        result.exitNow = true;
        result.exitCode = 2;
        result.output = QStringLiteral("Only one file can be opened.\n\n") + HelpText();
        return result;
    }
    result.openPath = parser.isSet(open) ? parser.value(open) : positional.value(0);
    result.simulator = parser.isSet(simulator);
    return result;
}

int CZanEditorApp::Run(const EditorCommandLine &commandLine)
{
    m_frame = std::make_unique<CMainFrame>();
    m_watcher = new TerminationWatcher(this);
    m_watcher->Install();
    connect(m_watcher, &TerminationWatcher::TerminationRequested, this, [this](int) {
        m_frame->Terminate();
        // Nested loops of modal boxes end too; the frame writes nothing from here on.
        QCoreApplication::exit(0);
    });

    if (commandLine.simulator) {
        // At the real line rate, so that a transfer looks as it would with a receiver.
        m_simulator = std::make_unique<SimulatorLauncher>();
        const QStringList lineRate {QStringLiteral("--line-rate"), QStringLiteral("115200")};
        if (m_simulator->Start(QCoreApplication::applicationDirPath(), lineRate))
            m_frame->Transfers()->SetDevicePath(m_simulator->Device());
        else
            m_frame->Prompt().ShowMessage(m_simulator->Error());
    }

    m_frame->show();
    // The start-up questions appear over the shown window, as in the receiver tools.
    const QString openPath = commandLine.openPath;
    QTimer::singleShot(0, m_frame.get(), [this, openPath] {
        m_frame->InitialUpdate();
        if (!openPath.isEmpty() && !m_frame->IsTerminating())
            m_frame->OpenDatabaseFile(openPath);
    });
    const int status = exec();
    m_frame.reset();
    m_simulator.reset();
    return status;
}
