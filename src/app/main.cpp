// dravel: the channel database editor.
#include "shell/CZanEditorApp.h"

#include <QProcessEnvironment>

#include <cstdio>

int main(int argc, char **argv)
{
    // Help, version and a missing display are answered before any window system is touched.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const EditorCommandLine commandLine = CZanEditorApp::ParseEditorCommandLine(arguments);
    if (commandLine.exitNow) {
        std::fputs(commandLine.output.toLocal8Bit().constData(), commandLine.exitCode == 0 ? stdout : stderr);
        return commandLine.exitCode;
    }
    const QString noDisplay = CZanEditorApp::MissingDisplay(QProcessEnvironment::systemEnvironment());
    if (!noDisplay.isEmpty()) {
        std::fputs(noDisplay.toLocal8Bit().constData(), stderr);
        return 1;
    }
    CZanEditorApp app(argc, argv);
    return app.Run(commandLine);
}
