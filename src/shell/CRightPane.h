// The right side of the main window: the TV/Radio switch in a narrow strip above the channel list.
#pragma once

#include <QWidget>

class CSwitchView;
class QSplitter;

class CRightPane : public QWidget
{
    Q_OBJECT

public:
    // Takes ownership of `list` and shows it below the switch.
    explicit CRightPane(QWidget *list, QWidget *parent = nullptr);

    CSwitchView *Switch() const { return m_switch; }
    // The lower pane: the list given at construction.
    QWidget *ChannelList() const { return m_list; }
    QSplitter *Splitter() const { return m_splitter; }

private:
    QSplitter *m_splitter = nullptr;
    CSwitchView *m_switch = nullptr;
    QWidget *m_list = nullptr;
};
