// The TV/Radio switch above the channel list: three radio buttons that choose the list's filter.
#pragma once

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
    // The values FilterChosen sends, as the channel list's SetServiceFilter takes them.
    enum Filter { RadioOnly = 0, TvOnly = 1, TvAndRadio = 2 };

    explicit CSwitchView(QWidget *parent = nullptr);
    ~CSwitchView() override;

    // Selects "TV/Radio" without sending anything.
    void Reset();
    // The filter of the selected button.
    int SelectedFilter() const;
    // The button that sends `filter`, or null.
    QAbstractButton *Button(int filter) const;

Q_SIGNALS:
    // Sent on every click, also on the button already selected (the list refills each time).
    void FilterChosen(int filter);

private:
    std::unique_ptr<Ui::CSwitchView> m_ui;
};
