// The editor's UserPrompt: every message and question as a modal QMessageBox.
#pragma once

#include "core/UserPrompt.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class MessageBoxPrompt : public UserPrompt
{
public:
    // The boxes are centred on the parent, which may be null or go away before the prompt.
    explicit MessageBoxPrompt(QWidget *parent = nullptr);

    void SetParent(QWidget *parent) { m_parent = parent; }

    void ShowMessageBox(const Message &message) override;
    Answer AskYesNo(const QString &text) override;
    Answer AskYesNoCancel(const QString &text) override;

    // The caption of a box that names none.
    static QString DefaultCaption();
    static QMessageBox::Icon BoxIcon(Icon icon);

private:
    Answer Ask(const QString &text, bool withCancel);

    QPointer<QWidget> m_parent;
};
