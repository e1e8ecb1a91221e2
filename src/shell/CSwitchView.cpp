// The TV/Radio switch above the channel list: three radio buttons that choose the list's filter.
#include "shell/CSwitchView.h"

#include "ui_CSwitchView.h"

#include <QButtonGroup>

CSwitchView::CSwitchView(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::CSwitchView>())
{
    m_ui->setupUi(this);
    setAccessibleName(m_ui->serviceGroup->accessibleName());
    QButtonGroup *buttons = m_ui->serviceButtons;
    buttons->setId(m_ui->tvButton, int(ServiceFilter::TvOnly));
    buttons->setId(m_ui->radioButton, int(ServiceFilter::RadioOnly));
    buttons->setId(m_ui->tvRadioButton, int(ServiceFilter::TvAndRadio));
    // idClicked, not idToggled: a click on the selected button must refill the list again, and
    // Reset() must send nothing.
    connect(buttons, &QButtonGroup::idClicked, this, [this](int id) { Q_EMIT FilterChosen(ServiceFilter(id)); });
    // Tab enters the group at the selected button only; the arrow keys move inside it.
    connect(buttons, &QButtonGroup::idToggled, this, [buttons](int, bool) {
        for (QAbstractButton *button : buttons->buttons()) {
            const Qt::FocusPolicy policy = button->focusPolicy();
            button->setFocusPolicy(button->isChecked() ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                       : Qt::FocusPolicy(policy & ~Qt::TabFocus));
        }
    });
    Reset();
}

CSwitchView::~CSwitchView() = default;

void CSwitchView::Reset()
{
    m_ui->tvRadioButton->setChecked(true);
}

ServiceFilter CSwitchView::SelectedFilter() const
{
    return ServiceFilter(m_ui->serviceButtons->checkedId());
}

QAbstractButton *CSwitchView::Button(ServiceFilter filter) const
{
    return m_ui->serviceButtons->button(int(filter));
}
