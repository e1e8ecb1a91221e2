// The OK flag of the node dialogs and the lookup of controls by id.
#include "editors/CNodeDialog.h"

#include <QCloseEvent>
#include <QVariant>

QWidget *CNodeDialog::ControlById(int controlId) const
{
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        const QVariant id = child->property("controlId");
        if (id.isValid() && id.toInt() == controlId)
            return child;
    }
    return nullptr;
}

void CNodeDialog::AcceptChecked()
{
    m_endFlag = EndedOk;
    QDialog::accept();
}

void CNodeDialog::reject()
{
    m_endFlag = EndedCancel;
    QDialog::reject();
}

void CNodeDialog::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);  // rejects
    if (event->isAccepted())
        m_endFlag = EndedClosed;
}
