#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <functional>

// The grid of the table page. Before a cell editor opens on a read-only table
// (an old profile file) the window is asked to make it writable, so that the
// file is converted before the surveyor types, not under an open editor.
// Esc cancels the pending row, Ctrl+Del is the grid's own delete key, and
// leaving the grid drops a new row nothing was typed into.
class ProfileGrid : public QTableView
{
public:
    using QTableView::QTableView;
    void setBeforeEdit(std::function<bool()> hook) { m_beforeEdit = std::move(hook); }
    void setOnEscape(std::function<void()> hook) { m_escape = std::move(hook); }
    void setOnDeleteKey(std::function<void()> hook) { m_deleteKey = std::move(hook); }
    void setOnLeave(std::function<void()> hook) { m_leave = std::move(hook); }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (state() != EditingState) {
            if (e->key() == Qt::Key_Escape && m_escape) {
                m_escape();
                return;
            }
            if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier) && m_deleteKey) {
                m_deleteKey();
                return;
            }
        }
        QTableView::keyPressEvent(e);
    }

    void focusOutEvent(QFocusEvent* e) override
    {
        QTableView::focusOutEvent(e);
        // The cell editor takes the focus from the grid without leaving it.
        const QWidget* now = QApplication::focusWidget();
        if (m_leave && state() != EditingState && !(now && isAncestorOf(now)))
            m_leave();
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        if (m_beforeEdit && index.isValid() && wouldOpenEditor(trigger, event) && !m_beforeEdit())
            return false;
        return QTableView::edit(index, trigger, event);
    }

private:
    bool wouldOpenEditor(EditTrigger trigger, QEvent* event) const
    {
        if (state() == EditingState)
            return false;
        if (trigger == AllEditTriggers)
            return true;
        // A click on a selected cell opens its editor later, through AllEditTriggers.
        if (trigger == SelectedClicked || !(editTriggers() & trigger))
            return false;
        if (trigger == AnyKeyPressed)
            return event && event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->text().isEmpty();
        return true;
    }

    std::function<bool()> m_beforeEdit;
    std::function<void()> m_escape, m_deleteKey, m_leave;
};
