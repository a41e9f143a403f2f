#include "ui/radio_tab_stops.h"

#include <QRadioButton>
#include <QWidget>

namespace {
QList<QRadioButton*> GroupOf(const QRadioButton& radio) {
    return radio.parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
}

void MoveTabStop(const QList<QRadioButton*>& group) {
    QRadioButton* stop = group.first();
    for (QRadioButton* radio : group)
        if (radio->isChecked())
            stop = radio;
    // Tab and Shift+Tab pass over buttons without Tab focus; clicks and arrows still reach them.
    for (QRadioButton* radio : group)
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}
} // namespace

void KeepRadioTabStopsOnChecked(QWidget& dialog) {
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
        if (!radio->parentWidget())
            continue;
        MoveTabStop(GroupOf(*radio));
        QObject::connect(radio, &QAbstractButton::toggled, radio,
                         [radio] { MoveTabStop(GroupOf(*radio)); });
    }
}
