// Small pieces the dialog tests share: the tab order and clearing a dialog's test script.
#pragma once

#include <QWidget>

namespace GuiTest {

// The next widget Tab reaches from this one (the widget itself when no other takes Tab).
inline QWidget *NextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

// Clears a dialog's test script when it goes out of scope, also when a check fails midway.
template <typename Dialog>
struct ScriptGuard
{
    ~ScriptGuard() { Dialog::SetTestScript({}); }
};

} // namespace GuiTest
