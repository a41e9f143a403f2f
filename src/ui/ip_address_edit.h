#pragma once
#include <QFrame>

#include <array>
#include <cstdint>

class QLineEdit;

/// An IPv4 address control: four fields of 0 to 255, each of which may be blank, separated by
/// dots inside one frame. A value above 255 becomes 255 when the field is left.
///
/// Keys: the control is one Tab stop; Tab and Shift+Tab land in the first field with its text
/// selected, wherever the caret was left. A third digit typed at a field's end moves on to the
/// next field and selects its text; a dot typed right after that move is the move itself, any
/// other dot moves on from a field that is not blank. Left at a field's start and Right at its
/// end cross into the previous and the next field, Backspace at a field's start goes back to the
/// end of the previous one. Pasted text that holds a dot is a whole address: four numbers of 0
/// to 255 fill the four fields; anything else is refused and leaves the control as it was.
class IpAddressEdit : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    /// The address with field 0 in the high byte (blank fields read as 0); returns the number of
    /// fields that are not blank.
    int GetAddress(uint32_t& address) const;
    void SetAddress(uint32_t address);
    /// Makes all four fields blank.
    void ClearAddress();
    int FilledFieldCount() const;
    /// The fields joined by dots, blank fields as empty text ("10.0..1").
    QString Text() const;
    /// Fills the fields from dotted text; missing or non-numeric parts become blank.
    void SetText(const QString& text);
    QLineEdit* Field(int index) const { return fields_[static_cast<size_t>(index)]; }

Q_SIGNALS:
    /// The user changed the address (typing or pasting); not emitted for the program's changes.
    void AddressEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Value of a field, -1 when blank; above 255 reads as 255.
    int FieldValue(int index) const;
    int IndexOf(QObject* field) const;
    bool OnFieldKey(int index, const QKeyEvent& key);
    enum class Caret { SelectAll, Start, End };
    /// Puts the focus in field `index`, its text selected or the caret at its start or end.
    void MoveTo(int index, Caret caret);
    /// Makes field `index` the control's only Tab stop.
    void MakeTabStop(int index);
    /// Pastes text that holds a dot into the whole control (see above) and returns true; false
    /// for other text, which the field then pastes as it pastes any text.
    bool PasteAddress(const QString& text);
    void ShowPasteMenu(int index, const QPoint& globalPos);

    std::array<QLineEdit*, 4> fields_{};
    /// The field that a third digit just moved to, until the next key: a dot there is no move.
    int advancedTo_ = -1;
};
