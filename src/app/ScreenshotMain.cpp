// dravel-screenshot: shows the editor on a database, selects a node and writes the window as PNG;
// or the list of every channel found by a text (with the satellite and transponder columns); or,
// given a reference list, the Apply Order From window's preview.
#include "lists/CReferenceOrderDlg.h"
#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"
#include "widgets/CFileExportDialog.h"
#include "shell/CMainFrame.h"
#include "shell/CZanEditorApp.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>

int main(int argc, char **argv)
{
    CZanEditorApp app(argc, argv);
    const QStringList args = app.arguments();
    const bool referenceOrder = args.size() == 5 && args[3] == QLatin1String("--reference-order");
    const bool find = args.size() == 5 && args[3] == QLatin1String("--find");
    if (args.size() != 3 && !referenceOrder && !find) {
        std::fputs("usage: dravel-screenshot DATABASE OUT.png [--reference-order REFERENCE | --find TEXT]\n", stderr);
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
    if (find) {
        CZanEditorView *list = frame.GetChannelList();
        navigator->setCurrentItem(navigator->AllServicesItem());
        list->SetPlaceColumnShown(PlaceColumn::Satellite, true);
        list->SetPlaceColumnShown(PlaceColumn::Transponder, true);
        list->FindField()->setText(args[4]);
        list->FindField()->setFocus();
    }
    int status = 1;
    if (referenceOrder) {
        // The file dialog answers with the reference; the window is drawn instead of shown modally.
        CFileExportDialog::SetNextAnswer(args[4]);
        CReferenceOrderDlg::SetTestScript([&](CReferenceOrderDlg &dialog) {
            dialog.resize(900, 560);
            dialog.CopyGroupsCheck()->setChecked(true);
            dialog.show();
            QTimer::singleShot(300, &dialog, [&] {
                status = dialog.grab().save(args[2]) ? 0 : 1;
                dialog.reject();
            });
            while (dialog.isVisible())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        });
        QTimer::singleShot(100, &frame, [&] {
            frame.ToolsApplyOrder();
            app.quit();
        });
        app.exec();
        return status;
    }
    QTimer::singleShot(300, &frame, [&] {
        status = frame.grab().save(args[2]) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
