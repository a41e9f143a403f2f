#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/table_notices.h"
#include "support/fake_platform.h"
#include "ui/qt_text.h"
#include "ui/table_ctrl.h"

namespace {

struct Notice {
    int Id, WParam, LParam;
    bool operator==(const Notice& other) const {
        return Id == other.Id && WParam == other.WParam && LParam == other.LParam;
    }
};

/// Counts the wheel events that reach it.
class WheelTarget : public QWidget {
public:
    std::vector<QPoint> Deltas;
    std::vector<QPointF> Points;

protected:
    void wheelEvent(QWheelEvent* event) override {
        Deltas.push_back(event->angleDelta());
        Points.push_back(event->globalPosition());
        event->accept();
    }
};

/// Removes the tool tip at once: hiding it only starts its fade-out timer.
void DropTip() {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->inherits("QTipLabel")) {
            delete widget;
            return;
        }
    }
}

/// A window holding the list above another widget, with the list's notices recorded as the
/// parent receives them (directly, so the order shows which were sent and which were posted).
class TableCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        TableRowStore::ProcessTypeAhead() = {};
        auto* layout = new QVBoxLayout(&window);
        table = new CTableCtrl(&window);
        other = new WheelTarget;
        other->setMinimumHeight(60);
        layout->addWidget(table);
        layout->addWidget(other);
        window.resize(400, 300);
        table->AddColumn(0, u"Parameter", 200, 1);
        table->AddColumn(1, u"Rate, sec", 70, 1);
        table->AddColumn(2, u"Plot", 70, 0);
        table->SetClock(&clock);
        QObject::connect(
            table, &CTableCtrl::ParentNotice, table,
            [this](int id, int w, int l) {
                notices.push_back({id, w, l});
            },
            Qt::DirectConnection);
        window.show();
        QApplication::processEvents();
    }

    void AddRows(const std::vector<std::u16string>& rows) {
        uint32_t data = 0;
        for (const std::u16string& row : rows)
            table->AddRow(row, data++);
        table->RebuildItems();
        QApplication::processEvents();
    }

    QString Cell(int row, int column) const { return table->topLevelItem(row)->text(column); }

    QPoint RowPoint(int row) const {
        return table->visualItemRect(table->topLevelItem(row)).center();
    }

    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint point,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QWidget* viewport = table->viewport();
        QMouseEvent event(type, point, viewport->mapToGlobal(point), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, keys);
        QApplication::sendEvent(viewport, &event);
    }

    void Click(Qt::MouseButton button, QPoint point, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, button, point, keys);
        Mouse(QEvent::MouseButtonRelease, button, point, keys);
    }

    void DoubleClick(QPoint point, Qt::KeyboardModifiers keys) {
        Click(Qt::LeftButton, point, keys);
        Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, point, keys);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, point, keys);
    }

    void Type(char16_t ch, uint32_t tick) {
        clock.Now = tick;
        const QString text(QChar(static_cast<ushort>(ch)));
        QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(table, &event);
    }

    std::vector<int> SelectedInView() const {
        std::vector<int> rows;
        for (int i = 0; i < table->topLevelItemCount(); ++i)
            if (table->topLevelItem(i)->isSelected())
                rows.push_back(i);
        return rows;
    }

    QWidget window;
    CTableCtrl* table = nullptr;
    WheelTarget* other = nullptr;
    FakeClock clock;
    std::vector<Notice> notices;
};

TEST_F(TableCtrlTest, ShowsRowsInKeyOrderWithTheirCells) {
    EXPECT_EQ(table->metaObject()->className(), QStringLiteral("CTableCtrl"));
    EXPECT_EQ(table->headerItem()->text(1), QStringLiteral("Rate, sec"));
    EXPECT_EQ(table->ColumnCount(), 3);
    EXPECT_EQ(table->ColumnWidth(0), 200);

    table->AddRow(u"b\n", 1);
    table->AddRow(u"a\n", 2);
    table->AddRow(u"a\n", 3);
    table->AddRow(u"N\n5\n+\n00000042\n", 4);
    table->AddRow(u"abc", 5);
    table->RebuildItems();
    ASSERT_EQ(table->topLevelItemCount(), 5);
    const char* labels[] = {"N", "a", "a", "abc", "b"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Cell(i, 0), QString::fromLatin1(labels[i])) << i;
    EXPECT_EQ(table->ItemDataOfRow(1), 2u);
    EXPECT_EQ(table->ItemDataOfRow(2), 3u);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("5"));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("+"));
    EXPECT_EQ(Cell(3, 1), QString());
    // Right alignment holds for the columns after the first.
    EXPECT_EQ(table->topLevelItem(0)->textAlignment(1), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(table->topLevelItem(0)->textAlignment(0) & Qt::AlignRight, 0);
}

TEST_F(TableCtrlTest, HeaderClickResortsAndKeepsTheSelectedRowSelected) {
    table->SetColumnKeyCell(0, 3);
    AddRows({u"beta\n2\n\n00000001\n", u"alpha\n3\n\n00000002\n", u"gamma\n1\n\n00000003\n"});
    EXPECT_EQ(Cell(0, 0), QStringLiteral("beta")); // by the hidden code cell
    table->SelectByItemData(1);                    // "alpha"
    EXPECT_EQ(SelectedInView(), std::vector<int>{1});

    emit table->header()->sectionClicked(0); // the sort column again: nothing changes
    EXPECT_EQ(Cell(0, 0), QStringLiteral("beta"));

    emit table->header()->sectionClicked(1);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("gamma"));
    EXPECT_EQ(Cell(2, 0), QStringLiteral("alpha"));
    EXPECT_EQ(SelectedInView(), std::vector<int>{2});
    EXPECT_EQ(table->GetSelectedIndex(), 2);

    emit table->header()->sectionClicked(7); // outside the columns
    EXPECT_EQ(Cell(0, 0), QStringLiteral("gamma"));
    EXPECT_TRUE(notices.empty());
}

TEST_F(TableCtrlTest, SelectingByItemDataCentresTheRow) {
    std::vector<std::u16string> rows;
    for (int i = 0; i < 100; ++i) {
        char16_t name[] = u"row00\n";
        name[3] = static_cast<char16_t>(u'0' + i / 10);
        name[4] = static_cast<char16_t>(u'0' + i % 10);
        rows.emplace_back(name);
    }
    AddRows(rows);
    table->SelectByItemData(60);
    const int rowHeight = table->visualItemRect(table->topLevelItem(60)).height();
    ASSERT_GT(rowHeight, 0);
    const int perPage = table->viewport()->height() / rowHeight;
    ASSERT_GT(perPage, 2);
    EXPECT_EQ(table->verticalScrollBar()->value(), 60 - perPage / 2);
    EXPECT_EQ(SelectedInView(), std::vector<int>{60});
    table->SelectByItemData(1000); // no such row: nothing moves
    EXPECT_EQ(table->verticalScrollBar()->value(), 60 - perPage / 2);
}

TEST_F(TableCtrlTest, TextIsBlackAndTheSelectedRowIsPaintedOnTheSelectionColour) {
    AddRows({u"a\n1\n\n", u"b\n2\n\n"});
    table->SetSelectedIndexes({1});
    QApplication::processEvents();
    const QImage image = table->viewport()->grab().toImage();
    for (int k : {0, 1}) {
        const QRect rect = table->visualItemRect(table->topLevelItem(k));
        QRgb darkest = 0xFFFFFFFF;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = 0; x < table->header()->sectionSize(0); ++x)
                if (qGray(image.pixel(x, y)) < qGray(darkest))
                    darkest = image.pixel(x, y);
        // Black, give or take the blending of the glyphs' edges with the background.
        EXPECT_LT(std::max({qRed(darkest), qGreen(darkest), qBlue(darkest)}), 0x20)
            << "row " << k << ": " << std::hex << darkest;
    }
    const QRect rect = table->visualItemRect(table->topLevelItem(1));
    // A point of the row's last column, right of its (empty) text.
    const QColor colour = image.pixelColor(rect.right() - 4, rect.center().y());
    EXPECT_EQ(colour.rgb() & 0xFFFFFF, 0x95CAFFu) << colour.name().toStdString();
}

TEST_F(TableCtrlTest, RightClickSendsTheSelectionBeforeItsPostedNotice) {
    AddRows({u"a\n1\n", u"b\n2\n", u"c\n3\n"});
    const int column1 = table->header()->sectionViewportPosition(1) + 5;
    Click(Qt::RightButton, QPoint(column1, RowPoint(2).y()));
    ASSERT_EQ(notices, (std::vector<Notice>{{table_notice::SelectionChanged, 2, 0}}));
    QApplication::processEvents();
    EXPECT_EQ(notices, (std::vector<Notice>{{table_notice::SelectionChanged, 2, 0},
                                            {table_notice::RightClick, 1, 2}}));

    notices.clear();
    const QPoint empty(5, table->viewport()->height() - 3);
    ASSERT_FALSE(table->indexAt(empty).isValid());
    Click(Qt::RightButton, empty);
    QApplication::processEvents();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), (Notice{table_notice::RightClick, 0, -1}));
}

TEST_F(TableCtrlTest, DoubleClickNoticeFollowsTheKeysHeld) {
    AddRows({u"a\n1\n", u"b\n2\n"});
    struct Case {
        Qt::KeyboardModifiers Keys;
        int Expected;
    };
    const Case cases[] = {
        {Qt::NoModifier, table_notice::DoubleClick},
        {Qt::ControlModifier, table_notice::CtrlDoubleClick},
        {Qt::ShiftModifier, table_notice::ShiftDoubleClick},
        {Qt::ControlModifier | Qt::ShiftModifier, table_notice::CtrlDoubleClick},
    };
    for (const Case& c : cases) {
        notices.clear();
        DoubleClick(RowPoint(1), c.Keys);
        QApplication::processEvents();
        std::vector<int> ids;
        for (const Notice& n : notices)
            if (n.Id != table_notice::Click)
                ids.push_back(n.Id);
        EXPECT_EQ(ids, std::vector<int>{c.Expected}) << int(c.Keys);
    }
    notices.clear();
    DoubleClick(QPoint(5, table->viewport()->height() - 3), Qt::NoModifier);
    QApplication::processEvents();
    EXPECT_TRUE(notices.empty());
}

TEST_F(TableCtrlTest, TypedKeysSelectTheMatchingRowAndTellTheParent) {
    table->SetSearchCell(0);
    AddRows({u"apple\n", u"pa\n", u"peach\n", u"plum\n"});
    Type(u'P', 10000);
    EXPECT_EQ(SelectedInView(), std::vector<int>{1});
    EXPECT_EQ(notices, (std::vector<Notice>{{table_notice::SelectionChanged, 1, 0}}));
    Type(u'l', 10500);
    EXPECT_EQ(SelectedInView(), (std::vector<int>{1, 3}));
    Type(u'a', 12501); // a new search from the first row
    EXPECT_EQ(SelectedInView(), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices.back(), (Notice{table_notice::SelectionChanged, 0, 0}));
}

TEST_F(TableCtrlTest, FirstMoveKeyAfterTheFocusArrivesSelectsARow) {
    AddRows({u"a\n", u"b\n", u"c\n", u"d\n"});
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct Case {
        Qt::Key Key;
        int SelectedBefore; ///< -1: none
        int SelectedAfter;
    };
    const Case cases[] = {
        {Qt::Key_Down, -1, 0}, {Qt::Key_Home, -1, 0}, {Qt::Key_End, -1, 3},
        {Qt::Key_Down, 2, 3},  {Qt::Key_Up, 2, 1},    {Qt::Key_Home, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Key << " with row " << c.SelectedBefore);
        table->clearFocus();
        table->RebuildItems();
        if (c.SelectedBefore >= 0)
            table->SelectByItemData(static_cast<uint32_t>(c.SelectedBefore));
        table->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(table->hasFocus());
        QTest::keyClick(table, c.Key);
        EXPECT_EQ(SelectedInView(), std::vector<int>{c.SelectedAfter});
        EXPECT_EQ(table->GetSelectedIndex(), c.SelectedAfter);
    }
}

TEST_F(TableCtrlTest, WheelOutsideTheListGoesToTheWidgetUnderTheCursor) {
    std::vector<std::u16string> rows(50, u"x\n");
    AddRows(rows);
    auto wheel = [this](QPoint global) {
        QWheelEvent event(table->viewport()->mapFromGlobal(global), global, QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(table->viewport(), &event);
        QApplication::processEvents();
    };
    table->SetWidgetLocator([this](const QPoint& p) {
        return other->rect().contains(other->mapFromGlobal(p)) ? other : nullptr;
    });

    const QPoint overOther = other->mapToGlobal(other->rect().center());
    wheel(overOther);
    ASSERT_EQ(other->Deltas.size(), 1u);
    EXPECT_EQ(other->Deltas[0], QPoint(0, -120));
    EXPECT_EQ(other->Points[0], QPointF(overOther));
    EXPECT_EQ(table->verticalScrollBar()->value(), 0);

    wheel(QPoint(-5000, -5000)); // nothing there: swallowed
    EXPECT_EQ(other->Deltas.size(), 1u);

    wheel(table->viewport()->mapToGlobal(QPoint(10, 10))); // inside: the list scrolls itself
    EXPECT_EQ(other->Deltas.size(), 1u);
    EXPECT_GT(table->verticalScrollBar()->value(), 0);
}

TEST_F(TableCtrlTest, CellCutShortShowsItsWholeTextAsTip) {
    const QString name = QStringLiteral("K1_RMS_1 Hz - 1 kHz -> 2 Hz - 20 kHz, 10 s average");
    AddRows({u"K1_RMS_1 Hz - 1 kHz -> 2 Hz - 20 kHz, 10 s average\n1\n+\n"});
    const QRect row = table->visualItemRect(table->topLevelItem(0));
    const QPoint inName(100, row.center().y());
    const QPoint inRate(table->header()->sectionPosition(1) + 35, row.center().y());
    auto tipAt = [this](QPoint point) {
        DropTip();
        QHelpEvent event(QEvent::ToolTip, point, table->viewport()->mapToGlobal(point));
        QApplication::sendEvent(table->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    struct Case {
        uint32_t Style;
        bool Tips;
    };
    for (const Case& c :
         {Case{0x4421, true}, Case{0x4000, true}, Case{0x400, true}, Case{0x21, false}}) {
        SCOPED_TRACE(c.Style);
        table->SetExtendedStyle(c.Style);
        EXPECT_EQ(tipAt(inName), c.Tips ? name : QString());
        EXPECT_EQ(tipAt(inRate), QString()); // "1" fits its column
    }
    DropTip();
}

TEST_F(TableCtrlTest, GridLinesFollowTheirStyleBitAndCoverNoText) {
    AddRows({u"K1_RMS_1 Hz\n1\n\n", u"b\n2\n\n"});
    struct Look {
        QRgb Background, RowLine, ColumnLine;
        int Ink; // dark pixels of cell (0, 0): the underscores sit on its last pixel row
    };
    auto look = [this] {
        QApplication::processEvents();
        const QImage image = table->viewport()->grab().toImage();
        const QRect row = table->visualItemRect(table->topLevelItem(0));
        const int columnEnd = table->header()->sectionSize(0) - 1;
        int ink = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = 0; x < columnEnd; ++x)
                ink += qGray(image.pixel(x, y)) < 0x80;
        return Look{image.pixel(row.center().x(), row.center().y()),
                    image.pixel(row.center().x(), row.bottom()),
                    image.pixel(columnEnd, row.center().y()), ink};
    };
    const Look plain = look();
    EXPECT_EQ(plain.RowLine, plain.Background);
    EXPECT_EQ(plain.ColumnLine, plain.Background);

    table->SetExtendedStyle(0x4421);
    const Look grid = look();
    EXPECT_NE(grid.RowLine, grid.Background);
    EXPECT_NE(grid.ColumnLine, grid.Background);
    EXPECT_GT(plain.Ink, 0);
    EXPECT_EQ(grid.Ink, plain.Ink);
}

} // namespace
