// The right side of the main window: the TV/Radio switch in a narrow strip above the channel list.
#include "shell/CRightPane.h"

#include "shell/CSwitchView.h"

#include <QSplitter>
#include <QVBoxLayout>

CRightPane::CRightPane(QWidget *list, QWidget *parent)
    : QWidget(parent)
    , m_list(list)
{
    setObjectName(QStringLiteral("rightPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("rightSplitter"));
    layout->addWidget(m_splitter);

    m_switch = new CSwitchView(m_splitter);
    m_switch->setObjectName(QStringLiteral("switchView"));
    m_splitter->addWidget(m_switch);
    m_splitter->setCollapsible(0, false);
    if (m_list) {
        m_splitter->addWidget(m_list);
        m_splitter->setCollapsible(1, false);
    }
    // The strip keeps its height when the window grows; the list takes the rest.
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({m_switch->sizeHint().height(), 1 << 20});
}
