#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/control_ids.h"
#include "resource_cases.h"
#include "ui/change_password_dlg.h"
#include "ui/edit_text_dlg.h"
#include "ui/resource_source.h"

namespace {

/// A control of a template: its id (0 for a plain label, found by its text), its Qt class and
/// its texts in English and in Russian (empty when it shows none).
struct ControlText {
    int Id;
    const char* Class;
    const char* English;
    const char* Russian;
};

struct TemplateTexts {
    int TemplateId;
    const char* EnglishTitle;
    const char* RussianTitle;
    std::vector<ControlText> Controls;
};

const TemplateTexts SmallTemplates[] = {
    {dlg::EditText,
     "Dialog",
     "Dialog",
     {
         {ctl::EditText, "QLineEdit", "", ""},
         {ctl::IdOk, "QPushButton", "OK", "Да"},
         {ctl::IdCancel, "QPushButton", "Cancel", "Отмена"},
     }},
    {dlg::AddParameter,
     "Select parameter to collect",
     "Выберите параметр для накопления",
     {
         {1000, "QComboBox", "", ""},
         {1003, "QComboBox", "", ""},
         {1025, "QComboBox", "", ""},
         {1026, "QComboBox", "", ""},
         {ctl::IdOk, "QPushButton", "OK", "Да"},
         {ctl::IdCancel, "QPushButton", "Cancel", "Отмена"},
         {1001, "QLineEdit", "", ""},
         {0, "QLabel", "Write rate, sec", "Темп записи, сек"},
         {1027, "QCheckBox", "all", "все"},
     }},
    {dlg::ChangePassword,
     "Write to device password change",
     "Смена пароля на запись в устройство",
     {
         {0, "QLabel", "Enter old password", "Введите старый пароль"},
         {ctl::OldPassword, "QLineEdit", "", ""},
         {0, "QLabel", "Enter new password (10 characters max)",
          "Введите новый пароль (не более 10 символов)"},
         {ctl::NewPassword, "QLineEdit", "", ""},
         {0, "QLabel", "Enter new password again", "Введите пароль еще раз"},
         {ctl::NewPasswordAgain, "QLineEdit", "", ""},
         {ctl::IdOk, "QPushButton", "OK", "Да"},
         {ctl::IdCancel, "QPushButton", "Cancel", "Отмена"},
     }},
};

QString TextOf(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    return {};
}

const QLabel* FindLabel(const QDialog& dialog, const QString& text) {
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

TEST(SmallTemplates, EverySourceHasEveryControlWithItsText) {
    for (SourceCase source : AllSourceCases) {
        UseSourceCase(source);
        for (const TemplateTexts& t : SmallTemplates) {
            SCOPED_TRACE(std::string(SourceCaseName(source)) + " template " +
                         std::to_string(t.TemplateId));
            QDialog dialog;
            ASSERT_TRUE(ResourceSource::BuildDialog(t.TemplateId, dialog));
            EXPECT_EQ(dialog.windowTitle(),
                      QString::fromUtf8(IsRussian(source) ? t.RussianTitle : t.EnglishTitle));
            for (const ControlText& c : t.Controls) {
                const QString text = QString::fromUtf8(IsRussian(source) ? c.Russian : c.English);
                const QWidget* control =
                    c.Id ? ResourceSource::FindControl(dialog, c.Id) : FindLabel(dialog, text);
                ASSERT_NE(control, nullptr) << c.Id << " " << text.toStdString();
                EXPECT_TRUE(control->inherits(c.Class)) << c.Id;
                EXPECT_EQ(TextOf(control), text) << c.Id;
            }
            auto* ok = qobject_cast<QPushButton*>(ResourceSource::FindControl(dialog, ctl::IdOk));
            ASSERT_NE(ok, nullptr);
            EXPECT_TRUE(ok->isDefault());
        }
    }
}

TEST(MainTemplate, RadioButtonsAreExclusiveWithinTheirOwnGroupOnly) {
    const std::vector<std::vector<int>> groups = {
        {1011, 1012},       {1004, 1005, 1006}, {1007, 1008, 1009, 1010},
        {1033, 1034, 1035}, {1036, 1037, 1038}, {1042, 1043, 1044},
    };
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        QDialog dialog;
        ASSERT_TRUE(ResourceSource::BuildDialog(dlg::MainDialog, dialog));
        auto radio = [&](int id) {
            return qobject_cast<QRadioButton*>(ResourceSource::FindControl(dialog, id));
        };
        for (size_t position : {size_t{0}, size_t{1}}) {
            for (const auto& group : groups) {
                ASSERT_NE(radio(group[position]), nullptr) << group[position];
                radio(group[position])->click();
            }
            for (const auto& group : groups)
                for (size_t i = 0; i < group.size(); ++i)
                    EXPECT_EQ(radio(group[i])->isChecked(), i == position) << group[i];
        }
        // The check boxes of the dialog are independent of the radios and of each other.
        auto* pps = qobject_cast<QCheckBox*>(ResourceSource::FindControl(dialog, 1031));
        auto* dateTime = qobject_cast<QCheckBox*>(ResourceSource::FindControl(dialog, 1032));
        ASSERT_TRUE(pps && dateTime);
        pps->click();
        dateTime->click();
        EXPECT_TRUE(pps->isChecked() && dateTime->isChecked());
    }
}

TEST(MainTemplate, SmallestWindowShowsEveryControlWhole) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        QDialog dialog;
        ASSERT_TRUE(ResourceSource::BuildDialog(dlg::MainDialog, dialog));
        dialog.show();
        dialog.resize(dialog.minimumSizeHint());
        QApplication::processEvents();
        EXPECT_FALSE(dialog.minimumSize().isValid() &&
                     dialog.minimumSize() == dialog.maximumSize()); // the window can be resized
        // The template's own widgets are the named ones; the parts inside them are not checked.
        auto ofTemplate = [](const QWidget* w) {
            return w && !w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_") &&
                   w->isVisible() && !w->isWindow();
        };
        for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
            const QWidget* parent = widget->parentWidget();
            if (!ofTemplate(widget) || (parent != &dialog && !ofTemplate(parent)))
                continue;
            const QSize needed = widget->minimumSizeHint();
            EXPECT_GE(widget->width(), needed.width()) << widget->objectName().toStdString();
            EXPECT_GE(widget->height(), needed.height()) << widget->objectName().toStdString();
            for (const QObject* sibling : widget->parentWidget()->children()) {
                auto* other = qobject_cast<const QWidget*>(sibling);
                if (!ofTemplate(other) || other <= widget)
                    continue;
                EXPECT_FALSE(widget->geometry().intersects(other->geometry()))
                    << widget->objectName().toStdString() << " overlaps "
                    << other->objectName().toStdString();
            }
        }
        dialog.hide();
    }
}

/// Runs `act` on the dialog once its modal run has started.
void WhileModal(QDialog& dialog, std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
        act(dialog);
    });
}

QLineEdit* EditOf(QDialog& dialog, int id) {
    return qobject_cast<QLineEdit*>(ResourceSource::FindControl(dialog, id));
}

void Press(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

TEST(EditTextDlg, OkTakesTheTypedTextAndShowsTheCaption) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        CEditTextDlg dialog;
        EXPECT_EQ(dialog.metaObject()->className(), QStringLiteral("CEditTextDlg"));
        dialog.caption = QStringLiteral("Enter send rate, sec");
        dialog.text = QStringLiteral("30");
        QString shownText, shownTitle;
        WhileModal(dialog, [&](QDialog& d) {
            shownText = EditOf(d, ctl::EditText)->text();
            shownTitle = d.windowTitle();
            EditOf(d, ctl::EditText)->setText(QStringLiteral("  not checked here "));
            Press(EditOf(d, ctl::EditText), Qt::Key_Return); // Enter is the OK button
        });
        EXPECT_EQ(dialog.DoModal(), 1);
        EXPECT_EQ(shownText, QStringLiteral("30"));
        EXPECT_EQ(shownTitle, QStringLiteral("Enter send rate, sec"));
        EXPECT_EQ(dialog.text, QStringLiteral("  not checked here "));
    }
}

TEST(EditTextDlg, CancelEscapeAndCloseKeepThePrefilledText) {
    UseSourceCase(SourceCase::OwnEnglish);
    const std::vector<std::function<void(QDialog&)>> endings = {
        [](QDialog& d) {
            qobject_cast<QPushButton*>(ResourceSource::FindControl(d, ctl::IdCancel))->click();
        },
        [](QDialog& d) { Press(&d, Qt::Key_Escape); },
        [](QDialog& d) { d.close(); },
    };
    for (size_t i = 0; i < endings.size(); ++i) {
        CEditTextDlg dialog;
        dialog.text = QStringLiteral("AA-BB");
        QString title;
        WhileModal(dialog, [&](QDialog& d) {
            title = d.windowTitle();
            EditOf(d, ctl::EditText)->setText(QStringLiteral("typed"));
            endings[i](d);
        });
        EXPECT_EQ(dialog.DoModal(), 2) << i;
        EXPECT_EQ(dialog.text, QStringLiteral("AA-BB")) << i;
        EXPECT_EQ(title, QString()) << i; // no caption set: an empty caption
    }
}

TEST(ChangePasswordDlg, OkTakesTheThreeTextsAsTypedAndCancelNone) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        CChangePasswordDlg dialog;
        EXPECT_EQ(dialog.metaObject()->className(), QStringLiteral("CChangePasswordDlg"));
        WhileModal(dialog, [](QDialog& d) {
            EditOf(d, ctl::OldPassword)->setText(QStringLiteral("old"));
            EditOf(d, ctl::NewPassword)->setText(QStringLiteral("twelve chars"));
            EditOf(d, ctl::NewPasswordAgain)->setText(QStringLiteral("twelve charz"));
            qobject_cast<QPushButton*>(ResourceSource::FindControl(d, ctl::IdOk))->click();
        });
        ASSERT_EQ(dialog.DoModal(), 1);
        EXPECT_EQ(dialog.oldPassword, QStringLiteral("old"));
        EXPECT_EQ(dialog.newPassword, QStringLiteral("twelve chars"));
        EXPECT_EQ(dialog.newPasswordAgain, QStringLiteral("twelve charz"));

        // A second run shows the texts again; Cancel leaves them as they were.
        QString shownOld;
        WhileModal(dialog, [&](QDialog& d) {
            shownOld = EditOf(d, ctl::OldPassword)->text();
            EditOf(d, ctl::NewPassword)->setText(QStringLiteral("other"));
            d.reject();
        });
        EXPECT_EQ(dialog.DoModal(), 2);
        EXPECT_EQ(shownOld, QStringLiteral("old"));
        EXPECT_EQ(dialog.newPassword, QStringLiteral("twelve chars"));
    }
}

} // namespace
