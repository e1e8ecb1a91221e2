// dravel-screenshot: shows the editor on a database, selects a node and writes the window as PNG.
#include "views/CNavigator.h"
#include "shell/CMainFrame.h"
#include "shell/CZanEditorApp.h"

#include <QDir>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>

int main(int argc, char **argv)
{
    CZanEditorApp app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: dravel-screenshot DATABASE OUT.png\n", stderr);
        return 2;
    }
    // Its own profile, so the picture shows the default group names whoever runs it.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir::tempPath() + "/dravel-screenshot");
    CMainFrame frame;
    frame.resize(1180, 680);
    frame.show();
    if (frame.InitialUpdate() != LayoutSource::Cache || !frame.OpenDatabaseFile(args[1]))
        return 1;
    CNavigator *navigator = frame.GetNavigator();
    navigator->expandItem(navigator->AllServicesItem());
    navigator->expandItem(navigator->SatelliteFolderItem());
    if (QTreeWidgetItem *satellite = navigator->SatelliteFolderItem()->child(0)) {
        navigator->expandItem(satellite);
        navigator->setCurrentItem(satellite);
    }
    navigator->setFocus();
    int status = 1;
    QTimer::singleShot(300, &frame, [&] {
        status = frame.grab().save(args[2]) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
