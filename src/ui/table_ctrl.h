#pragma once
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/table_ctrl.h"
#include "platform/table_row_store.h"

class QPoint;

/// The parameter list (control 1018): a report view of three or more columns over a
/// TableRowStore. Rows are sorted by the key cell of the sort column, a header click re-sorts,
/// typed characters search the search cell, the selected rows have a light blue background,
/// and wheel turns that arrive while the cursor is outside the list go to the widget under it.
/// Of the extended style bits it shows grid lines (each in a pixel row added below its row, so
/// no text is covered) and the tips (info and label tip alike: a
/// cell cut short by its column shows its whole text as a tool tip); rows are always selected
/// whole, and other bits are ignored.
///
/// The parent learns of the user's actions through ParentNotice (notices of table_notices.h):
/// SelectionChanged is emitted at once, before the list goes on; the others are emitted from
/// the event loop after the action that caused them, so a right click's SelectionChanged always
/// reaches the parent before its RightClick, whatever connection the parent uses.
class CTableCtrl : public QTreeWidget, public ITableCtrl {
    Q_OBJECT
public:
    explicit CTableCtrl(QWidget* parent = nullptr);

    void AddColumn(int index, const std::u16string& title, int width, uint32_t alignment) override;
    int ColumnCount() const override { return store_.ColumnCount(); }
    int ColumnWidth(int index) const override { return columnWidth(index); }
    void ClearRows() override { store_.ClearRows(); }
    void AddRow(std::u16string_view rowText, uint32_t itemData) override;
    void RebuildItems() override;
    void SortByColumn(int column) override;
    void SelectByItemData(uint32_t itemData) override;
    int GetSelectedIndex() const override { return store_.GetSelectedIndex(); }
    int GetNextSelectedIndex(int after) const override {
        return store_.GetNextSelectedIndex(after);
    }
    int ItemCount() const override { return store_.ItemCount(); }
    bool IsItemSelected(int index) const override { return store_.IsSelected(index); }
    uint32_t ItemDataOfRow(int n) const override { return store_.ItemDataOfRow(n); }
    void SetSearchCell(int cell) override { store_.SearchCell = cell; }
    void SetColumnKeyCell(int column, int cell) override { store_.ColumnKeyCells[column] = cell; }
    void SetExtendedStyle(uint32_t style) override;

    /// Scrolls so that the first selected row stands in the middle of the visible rows.
    void CentreRow();

    const TableRowStore& Rows() const { return store_; }
    /// Selects exactly the given list indexes, as the user's clicks would (no notice).
    void SetSelectedIndexes(const std::vector<int>& indexes);

    /// Clock of the type-ahead search (not owned); the program's steady clock by default.
    void SetClock(const IClock* clock) { clock_ = clock; }
    /// Finds the widget under a point in screen coordinates, for wheel forwarding;
    /// QApplication::widgetAt by default.
    void SetWidgetLocator(std::function<QWidget*(const QPoint&)> locator) {
        widgetAt_ = std::move(locator);
    }

signals:
    /// A notice to the parent: `notice` is one of table_notice::*, `wParam` and `lParam` as
    /// table_notices.h describes them.
    void ParentNotice(int notice, int wParam, int lParam);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    /// The keys move from the first selected row; with none, the first Down or Home after the
    /// focus arrives selects the first row and End the last (the view would start from a row
    /// that nothing marks).
    void focusInEvent(QFocusEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    class RowItem;
    /// Makes the view's items for the store's list items; with `keepItems`, items already there
    /// for as many rows are kept and show the rows now in their places.
    void RebuildView(bool keepItems);
    void OnHeaderItemClick(int section);
    void PostNotice(int notice, int wParam, int lParam);
    void SendSelectionChanged();
    /// Column under x in viewport coordinates; 0 past the last column.
    int ColumnAt(int x) const;
    /// Shows the store's selection after it selected row `index` (nothing when -1), makes the
    /// row visible and centres the first selected row.
    void ShowSelectedRow(int index);
    void ShowStoreSelection();
    void TakeViewSelection();
    void ScrollToRow(int index);
    /// Whole text of the cell at `point` (viewport coordinates) when its column cuts it short;
    /// empty when the cell fits or there is none.
    QString CutCellTextAt(const QPoint& point) const;

    TableRowStore store_;
    std::vector<uint32_t> alignments_;
    const IClock* clock_ = nullptr;
    std::function<QWidget*(const QPoint&)> widgetAt_;
    bool showingStoreSelection_ = false;
    uint32_t extendedStyle_ = 0;
};
