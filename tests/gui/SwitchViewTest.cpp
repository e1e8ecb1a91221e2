// The TV/Radio switch and the right pane: buttons, ids, initial state, the filter each click
// sends (mouse and keyboard), Reset, and the pane's splitter.
#include "shell/CRightPane.h"
#include "shell/CSwitchView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>

class SwitchViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void buttonsTextsIdsAndOrder();
    void startsOnTvAndRadio();
    void clickSendsFilterEveryTime();
    void keyboardChoosesFilter();
    void resetSelectsBothWithoutSending();
    void accessibleNames();
    void rightPaneHoldsSwitchOverList();

private:
    QTemporaryDir m_settings;
};

void SwitchViewTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void SwitchViewTest::buttonsTextsIdsAndOrder()
{
    CSwitchView view;
    view.resize(400, view.sizeHint().height());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QList<QRadioButton *> buttons = view.findChildren<QRadioButton *>();
    QCOMPARE(buttons.size(), 3);
    std::sort(buttons.begin(), buttons.end(), [&](QRadioButton *a, QRadioButton *b) {
        return a->mapTo(&view, QPoint()).x() < b->mapTo(&view, QPoint()).x();
    });
    const QStringList texts = {QStringLiteral("TV"), QStringLiteral("Radio"), QStringLiteral("TV/Radio")};
    const int ids[] = {1000, 1001, 1002};
    const ServiceFilter filters[] = {ServiceFilter::TvOnly, ServiceFilter::RadioOnly, ServiceFilter::TvAndRadio};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(buttons[i]->text(), texts[i]);
        QCOMPARE(buttons[i]->property("controlId").toInt(), ids[i]);
        QVERIFY(!buttons[i]->objectName().isEmpty());
        QCOMPARE(view.Button(filters[i]), buttons[i]);
        // Tab enters the group at the selected button only; the arrow keys move inside it.
        QCOMPARE(bool(buttons[i]->focusPolicy() & Qt::TabFocus), buttons[i]->isChecked());
    }
    QCOMPARE(view.Button(ServiceFilter(3)), nullptr);
    QCOMPARE(view.property("controlId").toInt(), 130);
}

void SwitchViewTest::startsOnTvAndRadio()
{
    CSwitchView view;
    QVERIFY(view.Button(ServiceFilter::TvAndRadio)->isChecked());
    QVERIFY(!view.Button(ServiceFilter::TvOnly)->isChecked());
    QVERIFY(!view.Button(ServiceFilter::RadioOnly)->isChecked());
    QCOMPARE(view.SelectedFilter(), ServiceFilter::TvAndRadio);
}

void SwitchViewTest::clickSendsFilterEveryTime()
{
    CSwitchView view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy chosen(&view, &CSwitchView::FilterChosen);

    QTest::mouseClick(view.Button(ServiceFilter::TvOnly), Qt::LeftButton);
    QTest::mouseClick(view.Button(ServiceFilter::RadioOnly), Qt::LeftButton);
    QTest::mouseClick(view.Button(ServiceFilter::RadioOnly), Qt::LeftButton);  // already selected
    QTest::mouseClick(view.Button(ServiceFilter::TvAndRadio), Qt::LeftButton);
    QCOMPARE(chosen.count(), 4);
    QCOMPARE(chosen.at(0).at(0).value<ServiceFilter>(), ServiceFilter::TvOnly);
    QCOMPARE(chosen.at(1).at(0).value<ServiceFilter>(), ServiceFilter::RadioOnly);
    QCOMPARE(chosen.at(2).at(0).value<ServiceFilter>(), ServiceFilter::RadioOnly);
    QCOMPARE(chosen.at(3).at(0).value<ServiceFilter>(), ServiceFilter::TvAndRadio);
    QCOMPARE(view.SelectedFilter(), ServiceFilter::TvAndRadio);

    QTest::mouseClick(view.Button(ServiceFilter::TvOnly), Qt::LeftButton);
    QVERIFY(view.Button(ServiceFilter::TvOnly)->isChecked());
    QVERIFY(!view.Button(ServiceFilter::TvAndRadio)->isChecked());
    QCOMPARE(view.SelectedFilter(), ServiceFilter::TvOnly);
    for (ServiceFilter filter : {ServiceFilter::RadioOnly, ServiceFilter::TvOnly, ServiceFilter::TvAndRadio})
        QCOMPARE(bool(view.Button(filter)->focusPolicy() & Qt::TabFocus), filter == ServiceFilter::TvOnly);
}

void SwitchViewTest::keyboardChoosesFilter()
{
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *view = new CSwitchView(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(view);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy chosen(view, &CSwitchView::FilterChosen);

    // Tab enters the switch at the selected button.
    before->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(before, Qt::Key_Tab);
    QAbstractButton *both = view->Button(ServiceFilter::TvAndRadio);
    QVERIFY(both->hasFocus());

    QTest::keyClick(both, Qt::Key_Left);
    QAbstractButton *radio = view->Button(ServiceFilter::RadioOnly);
    QVERIFY(radio->isChecked());
    QVERIFY(radio->hasFocus());
    QTest::keyClick(radio, Qt::Key_Left);
    QAbstractButton *tv = view->Button(ServiceFilter::TvOnly);
    QVERIFY(tv->isChecked());
    QTest::keyClick(tv, Qt::Key_Space);  // again on the selected one
    QCOMPARE(chosen.count(), 3);
    QCOMPARE(chosen.at(0).at(0).value<ServiceFilter>(), ServiceFilter::RadioOnly);
    QCOMPARE(chosen.at(1).at(0).value<ServiceFilter>(), ServiceFilter::TvOnly);
    QCOMPARE(chosen.at(2).at(0).value<ServiceFilter>(), ServiceFilter::TvOnly);

    // Leaving and coming back lands on the button now selected.
    QTest::keyClick(tv, Qt::Key_Backtab);
    QVERIFY(before->hasFocus());
    QTest::keyClick(before, Qt::Key_Tab);
    QVERIFY(tv->hasFocus());
}

void SwitchViewTest::resetSelectsBothWithoutSending()
{
    CSwitchView view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.Button(ServiceFilter::RadioOnly), Qt::LeftButton);
    QSignalSpy chosen(&view, &CSwitchView::FilterChosen);
    view.Reset();
    QVERIFY(view.Button(ServiceFilter::TvAndRadio)->isChecked());
    QVERIFY(!view.Button(ServiceFilter::RadioOnly)->isChecked());
    QCOMPARE(view.SelectedFilter(), ServiceFilter::TvAndRadio);
    QCOMPARE(chosen.count(), 0);
}

void SwitchViewTest::accessibleNames()
{
    CSwitchView view;
    QVERIFY(!view.accessibleName().isEmpty());
    const QList<QGroupBox *> groups = view.findChildren<QGroupBox *>();
    QCOMPARE(groups.size(), 1);
    QVERIFY(!groups.front()->accessibleName().isEmpty());
    for (QRadioButton *button : view.findChildren<QRadioButton *>())
        QCOMPARE(button->parentWidget(), groups.front());
}

void SwitchViewTest::rightPaneHoldsSwitchOverList()
{
    auto *list = new QLabel(QStringLiteral("list"));
    CRightPane pane(list);
    QSplitter *splitter = pane.Splitter();
    QVERIFY(splitter);
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QCOMPARE(splitter->count(), 2);
    QCOMPARE(splitter->widget(0), pane.Switch());
    QCOMPARE(splitter->widget(1), list);
    QCOMPARE(pane.ChannelList(), list);
    QCOMPARE(list->parentWidget(), splitter);

    pane.resize(500, 600);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    // The switch stays a narrow strip; the list takes the height.
    QVERIFY(pane.Switch()->height() < 60);
    QVERIFY(list->height() > 450);
    pane.resize(500, 900);
    QTRY_VERIFY(list->height() > 750);
    QVERIFY(pane.Switch()->height() < 60);
}

QTEST_MAIN(SwitchViewTest)
#include "SwitchViewTest.moc"
