#include "ui/ip_address_edit.h"

#include <algorithm>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {
constexpr int MaxFieldValue = 255;
constexpr int FieldDigits = 3;
} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    // One sunken box on the base colour, as a single edit field looks.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setValidator(validator);
        field->setMaxLength(FieldDigits);
        field->setAlignment(Qt::AlignCenter);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == FieldDigits && i + 1 < fields_.size()) {
                fields_[i + 1]->setFocus();
                fields_[i + 1]->selectAll();
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
    setFocusProxy(fields_[0]);
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (watched != fields_[i])
                continue;
            if (key->text() == QLatin1String(".")) {
                if (i + 1 < fields_.size() && !fields_[i]->text().isEmpty()) {
                    fields_[i + 1]->setFocus();
                    fields_[i + 1]->selectAll();
                }
                return true;
            }
            if (key->key() == Qt::Key_Backspace && fields_[i]->text().isEmpty() && i > 0) {
                fields_[i - 1]->setFocus();
                fields_[i - 1]->end(false);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
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
    for (int i = 0; i < 4; ++i) {
        const int value = FieldValue(i);
        if (value < 0)
            continue;
        ++filled;
        address |= static_cast<uint32_t>(value) << (8 * (3 - i));
    }
    return filled;
}

void IpAddressEdit::SetAddress(uint32_t address) {
    for (int i = 0; i < 4; ++i)
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
    for (int i = 0; i < 4; ++i) {
        const int value = FieldValue(i);
        parts << (value < 0 ? QString() : QString::number(value));
    }
    return parts.join(QLatin1Char('.'));
}

void IpAddressEdit::SetText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int value = i < parts.size() ? parts[i].trimmed().toInt(&ok) : -1;
        QLineEdit* field = fields_[static_cast<size_t>(i)];
        if (ok && value >= 0)
            field->setText(QString::number(std::min(value, MaxFieldValue)));
        else
            field->clear();
    }
}
