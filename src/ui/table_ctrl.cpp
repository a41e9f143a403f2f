#include "ui/table_ctrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QWheelEvent>

#include <string_view>

#include "platform/table_notices.h"
#include "platform/table_styles.h"
#include "ui/qt_services.h"
#include "ui/qt_text.h"

namespace {

QColor FromColourRef(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

/// Paints each row in its text colour and the selected rows on the selection background.
/// The row colour is read once per row, in painting order, as the store expects.
class RowColourDelegate : public QStyledItemDelegate {
public:
    RowColourDelegate(QObject* parent, std::function<uint32_t(int)> rowColour)
        : QStyledItemDelegate(parent), rowColour_(std::move(rowColour)) {}

    /// Pixels added below every row: room for a grid line that covers no text.
    int ExtraRowHeight = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, ExtraRowHeight);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 0 || index.row() != lastRow_) {
            lastRow_ = index.row();
            lastColour_ = FromColourRef(rowColour_(index.row()));
        }
        const QColor background = FromColourRef(TableRowStore::SelectedRowBackground);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::Text, lastColour_);
            option->palette.setColor(group, QPalette::HighlightedText, lastColour_);
            option->palette.setColor(group, QPalette::Highlight, background);
        }
    }

private:
    std::function<uint32_t(int)> rowColour_;
    mutable int lastRow_ = -1;
    mutable QColor lastColour_;
};

QString ViewToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

const IClock& ProgramClock() {
    static const QtClock clock;
    return clock;
}
} // namespace

/// List item `index`: its texts are read from the store's row when the view asks for them, so
/// an item holds no copy of them, and a rebuild with as many rows keeps the items.
class CTableCtrl::RowItem : public QTreeWidgetItem {
public:
    RowItem(const CTableCtrl& table, int index)
        : QTreeWidgetItem(QTreeWidgetItem::UserType), table_(table), index_(index) {}

    QVariant data(int column, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            std::u16string_view text;
            if (table_.store_.ItemText(index_, column, text))
                return ViewToQString(text);
            return {};
        }
        // The first column is always left-aligned, as in the platform's report view.
        if (role == Qt::TextAlignmentRole && column > 0 &&
            static_cast<size_t>(column) < table_.alignments_.size() &&
            (table_.alignments_[static_cast<size_t>(column)] & table_align::Right))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QTreeWidgetItem::data(column, role);
    }

private:
    const CTableCtrl& table_;
    int index_;
};

CTableCtrl::CTableCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSortingEnabled(false);
    setColumnCount(1);
    headerItem()->setText(0, QString());
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    setItemDelegate(
        new RowColourDelegate(this, [this](int k) { return store_.RowColourOfItem(k); }));

    connect(header(), &QHeaderView::sectionClicked, this, &CTableCtrl::OnHeaderItemClick);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { TakeViewSelection(); });
    widgetAt_ = [](const QPoint& point) { return QApplication::widgetAt(point); };
}

void CTableCtrl::AddColumn(int index, const std::u16string& title, int width, uint32_t alignment) {
    if (index < 0)
        return;
    if (index >= store_.ColumnCount())
        setColumnCount(index + 1);
    store_.NoteColumnAdded(index);
    if (static_cast<size_t>(index) >= alignments_.size())
        alignments_.resize(static_cast<size_t>(index) + 1, 0);
    alignments_[static_cast<size_t>(index)] = alignment;
    headerItem()->setText(index, ToQString(title));
    if (index > 0 && (alignment & table_align::Right))
        headerItem()->setTextAlignment(index, Qt::AlignRight | Qt::AlignVCenter);
    setColumnWidth(index, width);
}

void CTableCtrl::AddRow(std::u16string_view rowText, uint32_t itemData) {
    store_.AddRow(rowText, itemData);
}

void CTableCtrl::RebuildItems() {
    RebuildView(store_.RebuildItems());
}

void CTableCtrl::RebuildView(bool keepItems) {
    showingStoreSelection_ = true;
    if (keepItems && topLevelItemCount() == store_.ItemCount()) {
        // The items read the new rows; the view is left as a list made afresh would be.
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
        viewport()->update();
    } else {
        clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(store_.ItemCount());
        for (int i = 0; i < store_.ItemCount(); ++i)
            items.append(new RowItem(*this, i));
        addTopLevelItems(items);
    }
    showingStoreSelection_ = false;
}

void CTableCtrl::SortByColumn(int column) {
    if (column == store_.SortColumn)
        return;
    const int reselected = store_.SortByColumn(column);
    RebuildView(true);
    ShowSelectedRow(reselected);
}

void CTableCtrl::SelectByItemData(uint32_t itemData) {
    ShowSelectedRow(store_.SelectByItemData(itemData));
}

void CTableCtrl::ShowSelectedRow(int index) {
    if (index < 0)
        return;
    ShowStoreSelection();
    ScrollToRow(index);
    CentreRow();
    store_.SelectedRow = store_.GetSelectedIndex();
}

void CTableCtrl::SetSelectedIndexes(const std::vector<int>& indexes) {
    store_.ClearSelection();
    for (int index : indexes)
        store_.SetSelected(index, true);
    ShowStoreSelection();
}

void CTableCtrl::CentreRow() {
    const int selected = store_.GetSelectedIndex();
    QTreeWidgetItem* item = topLevelItem(selected);
    if (selected < 0 || !item)
        return;
    executeDelayedItemsLayout();
    const int height = rowHeight(indexFromItem(item));
    if (height <= 0)
        return;
    // The list scrolls by whole rows: the scroll bar's value is the index of the top row.
    const int top = verticalScrollBar()->value();
    const int perPage = viewport()->height() / height;
    const int rows = selected - perPage / 2 - top;
    if (rows != 0)
        verticalScrollBar()->setValue(top + rows);
}

void CTableCtrl::ShowStoreSelection() {
    showingStoreSelection_ = true;
    // One range per run of consecutive rows: the selection model's cost grows with its ranges.
    QItemSelection selection;
    for (int first = store_.GetSelectedIndex(); first >= 0;) {
        int last = first;
        int next = store_.GetNextSelectedIndex(first);
        for (; next == last + 1; next = store_.GetNextSelectedIndex(next))
            last = next;
        selection.select(model()->index(first, 0), model()->index(last, 0));
        first = next;
    }
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showingStoreSelection_ = false;
}

void CTableCtrl::TakeViewSelection() {
    if (showingStoreSelection_)
        return;
    store_.ClearSelection();
    // Rows are selected whole, so each range of the selection is a run of selected rows.
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            store_.SetSelected(row, true);
    }
}

void CTableCtrl::ScrollToRow(int index) {
    if (QTreeWidgetItem* item = topLevelItem(index))
        scrollToItem(item, QAbstractItemView::EnsureVisible);
}

void CTableCtrl::OnHeaderItemClick(int section) {
    if (section >= 0 && section < store_.ColumnCount())
        SortByColumn(section);
}

void CTableCtrl::PostNotice(int notice, int wParam, int lParam) {
    QMetaObject::invokeMethod(
        this, [this, notice, wParam, lParam] { emit ParentNotice(notice, wParam, lParam); },
        Qt::QueuedConnection);
}

void CTableCtrl::SendSelectionChanged() {
    if (parentWidget())
        emit ParentNotice(table_notice::SelectionChanged, store_.SelectedRow, 0);
}

int CTableCtrl::ColumnAt(int x) const {
    const int column = header()->logicalIndexAt(x);
    return column < 0 ? 0 : column;
}

void CTableCtrl::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Only characters search; control characters (Enter, Escape, Tab...) keep their meaning.
    if (text.size() != 1 || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    const IClock& clock = clock_ ? *clock_ : ProgramClock();
    const TypeAheadResult result = store_.TypeAhead(text.at(0).unicode(), clock.TickCount());
    if (result.Found < 0) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    ShowStoreSelection();
    ScrollToRow(result.Found);
    if (result.SelectionChanged)
        SendSelectionChanged();
    event->accept();
}

void CTableCtrl::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    QTreeWidget::focusInEvent(event);
    // The view has made its first row current, unmarked and unselected; moveCursor starts
    // from the selection instead.
    if (!hadCurrent)
        selectionModel()->clearCurrentIndex();
}

QModelIndex CTableCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (!currentIndex().isValid() && topLevelItemCount() > 0) {
        const int selected = store_.GetSelectedIndex();
        if (selected < 0)
            return model()->index(action == MoveEnd ? topLevelItemCount() - 1 : 0, 0);
        selectionModel()->setCurrentIndex(model()->index(selected, 0),
                                          QItemSelectionModel::NoUpdate);
    }
    return QTreeWidget::moveCursor(action, modifiers);
}

void CTableCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    const int row = indexAt(point).row();
    const int column = ColumnAt(point.x());
    if (event->button() == Qt::RightButton) {
        PostNotice(table_notice::RightClick, column, row);
        if (store_.UpdateSelectedRow())
            SendSelectionChanged();
    } else if (event->button() == Qt::LeftButton) {
        if (row >= 0)
            PostNotice(table_notice::Click, column, row);
        store_.SelectedRow = store_.GetSelectedIndex();
    }
}

void CTableCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    const int row = indexAt(point).row();
    if (row >= 0) {
        const Qt::KeyboardModifiers keys = event->modifiers();
        const int notice = keys & Qt::ControlModifier ? table_notice::CtrlDoubleClick
                           : keys & Qt::ShiftModifier ? table_notice::ShiftDoubleClick
                                                      : table_notice::DoubleClick;
        PostNotice(notice, ColumnAt(point.x()), row);
    }
    store_.SelectedRow = store_.GetSelectedIndex();
}

void CTableCtrl::wheelEvent(QWheelEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(global)) {
        QTreeWidget::wheelEvent(event);
        return;
    }
    event->accept();
    QWidget* target = widgetAt_ ? widgetAt_(global) : nullptr;
    if (!target || target == this || target == viewport())
        return;
    QCoreApplication::postEvent(
        target,
        new QWheelEvent(target->mapFromGlobal(event->globalPosition()), event->globalPosition(),
                        event->pixelDelta(), event->angleDelta(), event->buttons(),
                        event->modifiers(), event->phase(), event->inverted()));
}

void CTableCtrl::SetExtendedStyle(uint32_t style) {
    extendedStyle_ = style;
    static_cast<RowColourDelegate*>(itemDelegate())->ExtraRowHeight =
        style & table_style::GridLines ? 1 : 0;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

QString CTableCtrl::CutCellTextAt(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.text = index.data(Qt::DisplayRole).toString();
    option.features |= QStyleOptionViewItem::HasDisplay;
    // The style leaves this margin on both sides of an item's text and elides what is wider.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1;
    const int room =
        style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this).width() - 2 * margin;
    if (option.fontMetrics.horizontalAdvance(option.text) <= room)
        return {};
    return option.text;
}

bool CTableCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = extendedStyle_ & (table_style::InfoTip | table_style::LabelTip)
                            ? CutCellTextAt(help->pos())
                            : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(indexAt(help->pos())));
    return true;
}

void CTableCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QTreeWidget::drawRow(painter, option, index);
    if (!(extendedStyle_ & table_style::GridLines))
        return;
    const QRect row = visualRect(index.siblingAtColumn(0));
    const int bottom = row.bottom();
    painter->save();
    painter->setPen(QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this))));
    painter->drawLine(0, bottom, viewport()->width() - 1, bottom);
    for (int section = 0; section < header()->count(); ++section) {
        if (header()->isSectionHidden(section))
            continue;
        const int right =
            header()->sectionViewportPosition(section) + header()->sectionSize(section) - 1;
        painter->drawLine(right, row.top(), right, bottom);
    }
    painter->restore();
}
