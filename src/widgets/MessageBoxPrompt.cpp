// Modal message boxes for the core's messages and questions.
#include "widgets/MessageBoxPrompt.h"

#include <QApplication>

namespace {

// A box shown during long work (a load's refusal) gets the normal pointer, not the busy one.
class NormalCursorScope
{
public:
    NormalCursorScope() : m_pushed(QApplication::overrideCursor() != nullptr)
    {
        if (m_pushed)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursorScope()
    {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }
    NormalCursorScope(const NormalCursorScope &) = delete;
    NormalCursorScope &operator=(const NormalCursorScope &) = delete;

private:
    bool m_pushed;
};

} // namespace

MessageBoxPrompt::MessageBoxPrompt(QWidget *parent) : m_parent(parent) {}

QString MessageBoxPrompt::DefaultCaption()
{
    return QStringLiteral("Dravel");
}

QMessageBox::Icon MessageBoxPrompt::BoxIcon(Icon icon)
{
    switch (icon) {
    case Information:
        return QMessageBox::Information;
    case Exclamation:
        return QMessageBox::Warning;
    case Stop:
        return QMessageBox::Critical;
    case NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

void MessageBoxPrompt::ShowMessageBox(const Message &message)
{
    QMessageBox box(BoxIcon(message.icon), message.caption.isEmpty() ? DefaultCaption() : message.caption,
                    message.text, QMessageBox::Ok, m_parent.data());
    box.setObjectName(QStringLiteral("promptMessage"));
    // The fixed text keeps its words; what the operation knows of the cause stands below it, in
    // view (a transfer's "the receiver stopped answering", the system's reason for a port).
    if (!message.detail.isEmpty())
        box.setInformativeText(message.detail);
    NormalCursorScope cursor;
    box.exec();
}

UserPrompt::Answer MessageBoxPrompt::AskYesNo(const QString &text)
{
    return Ask(text, false);
}

UserPrompt::Answer MessageBoxPrompt::AskYesNoCancel(const QString &text)
{
    return Ask(text, true);
}

UserPrompt::Answer MessageBoxPrompt::Ask(const QString &text, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, DefaultCaption(), text, buttons, m_parent.data());
    box.setObjectName(QStringLiteral("promptQuestion"));
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the window's close button give the answer that changes nothing.
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    NormalCursorScope cursor;
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return withCancel ? Cancel : No;
    }
}
