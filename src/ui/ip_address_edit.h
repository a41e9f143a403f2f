#pragma once
#include <QFrame>

#include <array>
#include <cstdint>

class QLineEdit;

/// An IPv4 address control: four fields of 0 to 255, each of which may be blank, separated by
/// dots inside one frame. Typing a third digit or a dot moves on to the next field; a value above
/// 255 becomes 255 when the field is left.
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
    void AddressEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Value of a field, -1 when blank; above 255 reads as 255.
    int FieldValue(int index) const;

    std::array<QLineEdit*, 4> fields_{};
};
