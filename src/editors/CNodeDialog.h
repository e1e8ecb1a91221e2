// Base of the node dialogs: how the dialog ended (OK, Cancel, close box) and controls by their id.
#pragma once

#include <QDialog>

class CNodeDialog : public QDialog
{
    Q_OBJECT

public:
    // The dialog's OK flag: 0 Cancel, 1 OK, 2 closed with the close box.
    enum EndFlag { EndedCancel = 0, EndedOk = 1, EndedClosed = 2 };

    explicit CNodeDialog(QWidget *parent = nullptr) : QDialog(parent) {}

    int EndFlag() const { return m_endFlag; }
    bool EndedWithOk() const { return m_endFlag == EndedOk; }
    // The child whose "controlId" property is the given id, or null.
    QWidget *ControlById(int controlId) const;

public Q_SLOTS:
    void reject() override;

protected:
    // Ends the dialog with OK; the subclass's accept() calls it once its checks passed.
    void AcceptChecked();
    void closeEvent(QCloseEvent *event) override;

private:
    int m_endFlag = EndedCancel;
};
