// The channel list's find, Go to, counts and type-ahead: which rows show, and the keys for them.
#include "views/CZanEditorView.h"

#include "core/UserPrompt.h"
#include "database/ChannelCounts.h"
#include "views/ChannelListModel.h"
#include "document/EditorContext.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

void CZanEditorView::OnFindTextEdited(const QString &text)
{
    SetFindText(text);
}

void CZanEditorView::SetFindText(const QString &text)
{
    if (m_findField->text() != text) {
        m_findField->setText(text);  // comes back here through textChanged
        return;
    }
    // The selected rows stay selected where the find still shows them (by their list rows: the
    // programs do not move).
    std::vector<int> selected;
    for (int row : SelectedRows())
        selected.push_back(m_model->ListRow(row));
    const int current = m_model->ListRow(m_table->currentIndex().row());
    m_model->SetFindText(text);
    QItemSelection rows;
    for (int listRow : selected) {
        const int row = m_model->ViewRow(listRow);
        if (row >= 0)
            rows.select(m_model->index(row, 0), m_model->index(row, 0));
    }
    QItemSelectionModel *selection = m_table->selectionModel();
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const int currentRow = m_model->ViewRow(current);
    if (currentRow >= 0) {
        selection->setCurrentIndex(m_model->index(currentRow, 0), QItemSelectionModel::NoUpdate);
        m_table->scrollTo(m_model->index(currentRow, 0), QAbstractItemView::EnsureVisible);
    }
    Q_EMIT CountsChanged();
}

void CZanEditorView::UpdateCounts()
{
    std::vector<int> slots;
    slots.reserve(size_t(m_model->AllRowCount()));
    for (const ChannelRow &row : m_model->AllRows()) {
        if (row.record)
            slots.push_back(row.slot);
    }
    m_counts = CountChannels(m_context.Database(), slots);
    Q_EMIT CountsChanged();
}

QString CZanEditorView::CountText() const
{
    if (!m_node)
        return QString();
    return ChannelCountText(m_counts, m_model->Finding() ? std::optional<int>(RowCount()) : std::nullopt);
}

bool CZanEditorView::TypeAhead(const QString &text)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool continued = now - m_typedAt <= QApplication::keyboardInputInterval() && !m_typedText.isEmpty();
    // A blank inside a word is part of the name; alone it is left to the table.
    if (text == QStringLiteral(" ") && !continued)
        return false;
    m_typedAt = now;
    const int current = m_table->currentIndex().isValid() ? m_table->currentIndex().row() : FirstSelectedRow();
    int row = -1;
    if (continued && m_typedText != text) {
        // The longer word is looked for from where the word began, not from its first jump.
        m_typedText += text;
        row = m_model->NextNameStart(m_typedText, m_typedFrom);
    } else {
        // A new word, or the same letter again: the next name after the current row.
        m_typedText = text;
        m_typedFrom = current;
        row = m_model->NextNameStart(m_typedText, current);
    }
    if (row >= 0) {
        m_table->clearSelection();
        SelectChannelRow(row, true);
    }
    return true;
}

void CZanEditorView::Find()
{
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void CZanEditorView::GoTo()
{
    if (m_model->AllRowCount() == 0)
        return;
    const int target = TargetRowFromPrompt(-1, QStringLiteral("Go to Index"));
    if (target < 0)
        return;
    // A channel the find hides is shown by ending the find: the user asked for that one.
    if (m_model->ViewRow(target) < 0)
        m_findField->clear();
    const int row = m_model->ViewRow(target);
    if (row < 0)
        return;
    m_table->clearSelection();
    SelectChannelRow(row, true);
    m_table->setFocus(Qt::ShortcutFocusReason);
}

bool CZanEditorView::FindKeyEvent(QObject *watched, QEvent *event)
{
    if (watched == m_findField && event->type() == QEvent::ShortcutOverride) {
        // In the field the keys are text: minus and plus are typed, Escape clears it.
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (IsCommandKey(keyEvent->key()) || keyEvent->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    if (watched == m_findField && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_findField->clear();
        return true;
    }
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        // Letters jump by the name whatever column is current (the table would search the
        // current column); the command keys keep their commands.
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        const QString text = keyEvent->text();
        const bool plain = !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (plain && !text.isEmpty() && text.at(0).isPrint() && !IsCommandKey(keyEvent->key())
            && TypeAhead(text))
            return true;
    }
    return false;
}
