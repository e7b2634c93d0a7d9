#pragma once
#include <QKeyEvent>
#include <QTableView>
#include <functional>

// The grid of the table page. Before a cell editor opens on a read-only table
// (an old profile file) the window is asked to make it writable, so that the
// file is converted before the surveyor types, not under an open editor.
class ProfileGrid : public QTableView
{
public:
    using QTableView::QTableView;
    void setBeforeEdit(std::function<bool()> hook) { m_beforeEdit = std::move(hook); }

protected:
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
};
