// The TV/Radio switch above the channel list: three radio buttons that choose the list's filter.
#pragma once

#include "database/ServiceFilter.h"

#include <QAbstractButton>
#include <QWidget>

#include <memory>

namespace Ui {
class CSwitchView;
}

class CSwitchView : public QWidget
{
    Q_OBJECT

public:
    explicit CSwitchView(QWidget *parent = nullptr);
    ~CSwitchView() override;

    // Selects "TV/Radio" without sending anything.
    void Reset();
    // The filter of the selected button.
    ServiceFilter SelectedFilter() const;
    // The button that sends `filter`, or null.
    QAbstractButton *Button(ServiceFilter filter) const;

Q_SIGNALS:
    // Sent on every click, also on the button already selected (the list refills each time).
    void FilterChosen(ServiceFilter filter);

private:
    std::unique_ptr<Ui::CSwitchView> m_ui;
};
