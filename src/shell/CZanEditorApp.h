// The editor application: names, command line, the main window and the termination request.
#pragma once

#include <QApplication>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

class SimulatorLauncher;

class CMainFrame;
class TerminationWatcher;

// What the command line asks for.
struct EditorCommandLine
{
    QString openPath;     // a database to open at start, or empty
    bool simulator = false;  // --sim: start stb-sim and preselect its device
    bool exitNow = false; // --help, --version or a usage error: nothing more to do
    int exitCode = 0;
    QString output;       // the text for standard output (help, version) or standard error (errors)
};

class CZanEditorApp : public QApplication
{
    Q_OBJECT

public:
    CZanEditorApp(int &argc, char **argv);
    ~CZanEditorApp() override;

    // Sets the organisation and application names and the version.
    static void SetApplicationNames();
    // Reads `dravel [FILE]`, `--open FILE`, `--help`, `--version`.
    static EditorCommandLine ParseEditorCommandLine(const QStringList &arguments);

    static QString HelpText();
    // Why the editor cannot show a window here (no display), or empty when it can.
    static QString MissingDisplay(const QProcessEnvironment &environment);

    // Creates and shows the main window, runs the start-up, opens the file asked for; returns
    // the exit status of the event loop.
    int Run(const EditorCommandLine &commandLine);

    CMainFrame *MainFrame() const { return m_frame.get(); }

private:
    std::unique_ptr<SimulatorLauncher> m_simulator;  // outlives the frame's transfers
    std::unique_ptr<CMainFrame> m_frame;
    TerminationWatcher *m_watcher = nullptr;
};
