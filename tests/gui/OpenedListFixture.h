// A frame with a generated database open and "All Services" shown: the channel list as a user meets it.
#pragma once

#include "gui/GuiTestSupport.h"

#include "views/CNavigator.h"
#include "views/CZanEditorView.h"
#include "views/ChannelListModel.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <QUndoStack>

#include <vector>

namespace GuiTest {

struct OpenedList
{
    FrameFixture f;
    QString path;
    CZanEditorView *list = nullptr;
    ChannelListModel *model = nullptr;  // null when the database could not be made or opened

    explicit OpenedList(int programs = 12)
    {
        path = f.Data(QStringLiteral("db.usd"));
        GeneratorOptions options;
        options.programs = programs;
        if (!GenerateDatabase(path, options) || !f.frame->OpenDatabaseFile(path))
            return;
        f.frame->show();
        CNavigator *nav = f.frame->GetNavigator();
        nav->setCurrentItem(nav->AllServicesItem());
        list = f.frame->GetChannelList();
        model = list->Model();
    }
    CChannelDb &Db() { return f.frame->Database(); }
    QUndoStack &Undo() { return f.frame->UndoStack(); }
    // Selects exactly these view rows.
    void Select(const std::vector<int> &rows)
    {
        QItemSelectionModel *selection = list->Table()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<int> SelectedRows() const { return list->SelectedRows(); }
};

} // namespace GuiTest
