#include "ui/ip_address_edit.h"

#include <algorithm>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpressionValidator>

namespace {
constexpr int MaxFieldValue = 255;
constexpr int FieldDigits = 3;
constexpr int FieldCount = 4;

/// Four dot-separated numbers of one to three digits, each at most 255.
bool ParseDottedAddress(const QString& text, std::array<int, FieldCount>& values) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != FieldCount)
        return false;
    for (int i = 0; i < FieldCount; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > FieldDigits ||
            !std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); }))
            return false;
        values[static_cast<size_t>(i)] = part.toInt();
        if (values[static_cast<size_t>(i)] > MaxFieldValue)
            return false;
    }
    return true;
}

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}
} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    // One sunken box on the base colour, as a single edit field looks.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    // The validator, not a length limit, bounds a field: text that does not fit is refused
    // whole instead of being cut to three characters.
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setValidator(validator);
        field->setAlignment(Qt::AlignCenter);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            const int index = static_cast<int>(i);
            if (text.size() == FieldDigits && fields_[i]->cursorPosition() == FieldDigits &&
                index + 1 < FieldCount) {
                MoveTo(index + 1, Caret::SelectAll);
                advancedTo_ = index + 1;
            }
            Q_EMIT AddressEdited();
        });
        connect(field, &QLineEdit::editingFinished, this, [field] {
            if (field->text().toInt() > MaxFieldValue)
                field->setText(QString::number(MaxFieldValue));
        });
        layout->addWidget(field, 1);
        fields_[i] = field;
    }
    // The control takes part in the dialog's Tab order as one widget, through its first field.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(fields_[0]);
    MakeTabStop(0);
}

int IpAddressEdit::IndexOf(QObject* field) const {
    const auto it = std::find(fields_.begin(), fields_.end(), field);
    return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void IpAddressEdit::MakeTabStop(int index) {
    // Tab and Shift+Tab pass over fields without Tab focus; the field that has the focus stays
    // the stop, so that Tab from any field leaves the control.
    for (int i = 0; i < FieldCount; ++i)
        fields_[static_cast<size_t>(i)]->setFocusPolicy(i == index ? Qt::StrongFocus
                                                                   : Qt::ClickFocus);
}

void IpAddressEdit::MoveTo(int index, Caret caret) {
    QLineEdit* field = fields_[static_cast<size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    switch (caret) {
    case Caret::SelectAll:
        field->selectAll();
        break;
    case Caret::Start:
        field->setCursorPosition(0);
        break;
    case Caret::End:
        field->end(false);
        break;
    }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        advancedTo_ = -1;
        MakeTabStop(index);
        break;
    case QEvent::FocusOut:
        // Focus gone elsewhere (not to a menu or another window): Tab comes back to field 0.
        if (IndexOf(window()->focusWidget()) < 0)
            MakeTabStop(0);
        break;
    case QEvent::MouseButtonPress:
        advancedTo_ = -1;
        break;
    case QEvent::MouseButtonRelease:
        // The middle button pastes the selection, where the platform has one.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection())
            return PasteAddress(QGuiApplication::clipboard()->text(QClipboard::Selection));
        break;
    case QEvent::ContextMenu:
        ShowPasteMenu(index, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::KeyPress:
        return OnFieldKey(index, *static_cast<QKeyEvent*>(event));
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

bool IpAddressEdit::OnFieldKey(int index, const QKeyEvent& key) {
    QLineEdit* field = fields_[static_cast<size_t>(index)];
    const bool justAdvanced = advancedTo_ == index;
    if (!IsModifierKey(key.key()))
        advancedTo_ = -1;
    if (key.matches(QKeySequence::Paste))
        return PasteAddress(QGuiApplication::clipboard()->text());
    if (key.text() == QLatin1String(".")) {
        if (!justAdvanced && index + 1 < FieldCount && !field->text().isEmpty())
            MoveTo(index + 1, Caret::SelectAll);
        return true;
    }
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || field->hasSelectedText())
        return false;
    const int caret = field->cursorPosition();
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        if (caret == 0 && index > 0) {
            MoveTo(index - 1, Caret::End);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (caret == field->text().size() && index + 1 < FieldCount) {
            MoveTo(index + 1, Caret::Start);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool IpAddressEdit::PasteAddress(const QString& text) {
    const QString address = text.trimmed();
    if (!address.contains(QLatin1Char('.')))
        return false;
    std::array<int, FieldCount> values{};
    if (!ParseDottedAddress(address, values))
        return true; // refused: the control stays as it was
    for (int i = 0; i < FieldCount; ++i)
        fields_[static_cast<size_t>(i)]->setText(QString::number(values[static_cast<size_t>(i)]));
    MoveTo(FieldCount - 1, Caret::End);
    Q_EMIT AddressEdited();
    return true;
}

void IpAddressEdit::ShowPasteMenu(int index, const QPoint& globalPos) {
    // The field's own menu, whose Paste goes through the address paste first.
    QLineEdit* field = fields_[static_cast<size_t>(index)];
    QMenu* menu = field->createStandardContextMenu();
    // The menu's Paste is known by its text, which the field's own translation gives.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) != pasteText)
            continue;
        disconnect(action, &QAction::triggered, field, nullptr);
        connect(action, &QAction::triggered, field, [this, field] {
            if (!PasteAddress(QGuiApplication::clipboard()->text()))
                field->paste();
        });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

int IpAddressEdit::FieldValue(int index) const {
    const QString text = fields_[static_cast<size_t>(index)]->text();
    if (text.isEmpty())
        return -1;
    return std::min(text.toInt(), MaxFieldValue);
}

int IpAddressEdit::GetAddress(uint32_t& address) const {
    address = 0;
    int filled = 0;
    for (int i = 0; i < FieldCount; ++i) {
        const int value = FieldValue(i);
        if (value < 0)
            continue;
        ++filled;
        address |= static_cast<uint32_t>(value) << (8 * (3 - i));
    }
    return filled;
}

void IpAddressEdit::SetAddress(uint32_t address) {
    for (int i = 0; i < FieldCount; ++i)
        fields_[static_cast<size_t>(i)]->setText(
            QString::number((address >> (8 * (3 - i))) & 0xFF));
}

void IpAddressEdit::ClearAddress() {
    for (QLineEdit* field : fields_)
        field->clear();
}

int IpAddressEdit::FilledFieldCount() const {
    uint32_t address = 0;
    return GetAddress(address);
}

QString IpAddressEdit::Text() const {
    QStringList parts;
    for (int i = 0; i < FieldCount; ++i) {
        const int value = FieldValue(i);
        parts << (value < 0 ? QString() : QString::number(value));
    }
    return parts.join(QLatin1Char('.'));
}

void IpAddressEdit::SetText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    for (int i = 0; i < FieldCount; ++i) {
        bool ok = false;
        const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok) : -1;
        QLineEdit* field = fields_[static_cast<size_t>(i)];
        if (ok && value >= 0)
            field->setText(QString::number(std::min(value, MaxFieldValue)));
        else
            field->clear();
    }
}
