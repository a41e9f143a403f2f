#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/control_ids.h"
#include "resource_cases.h"
#include "ui/ip_address_edit.h"
#include "ui/table_ctrl.h"
#include "ui/velmora_dlg.h"

namespace {
enum class Kind { Combo, Radio, Check, Address, Edit, ReadOnlyEdit, Static, Button, Group, List };

struct TemplateControl {
    int Id;
    Kind Type;
    const char* English;
    const char* Russian;
};

// Every control of template 102 with an id, with its texts in both languages.
const TemplateControl MainControls[] = {
    {1000, Kind::Combo, "", ""},
    {1011, Kind::Radio, "Automatic (DHCP)", "получить IP-адрес автоматически"},
    {1012, Kind::Radio, "Manual", "использовать следующий IP-адрес"},
    {1013, Kind::Address, "", ""},
    {1014, Kind::Address, "", ""},
    {1015, Kind::Address, "", ""},
    {1016, Kind::Address, "", ""},
    {1026, Kind::Address, "", ""},
    {1017, Kind::Edit, "", ""},
    {1004, Kind::Radio, "out of control", "не управляется"},
    {1005, Kind::Radio, "on", "включена"},
    {1006, Kind::Radio, "off", "выключена"},
    {1007, Kind::Radio, "out of control", "не управляется"},
    {1008, Kind::Radio, "R1", "Д1"},
    {1009, Kind::Radio, "R2", "Д2"},
    {1010, Kind::Radio, "R3", "Д3"},
    {1003, Kind::Combo, "", ""},
    {1018, Kind::List, "", ""},
    {1019, Kind::Button, "Get settings", "Считать настройки"},
    {1020, Kind::Button, "Save settings", "Записать настройки"},
    {1021, Kind::Button, "Update firmware", "Обновление встроенного ПО"},
    {1023, Kind::Button, "Change encryption key", "Смена ключей шифрования"},
    {1022, Kind::Button, "Change password", "Смена пароля на запись"},
    {1025, Kind::Button, "Assign VIN", "Присвоить VIN"},
    {1024, Kind::ReadOnlyEdit, "", ""},
    {1027, Kind::Check, "auto", "авто"},
    {1028, Kind::Check, "keys error", "ключи с ошибкой"},
    {1029, Kind::Check, "keys written", "ключи записаны"},
    {1033, Kind::Radio, "off", "выключена"},
    {1034, Kind::Radio, "master", "master"},
    {1035, Kind::Radio, "slave", "slave"},
    {1031, Kind::Check, "PPS pulses", "импульсы PPS"},
    {1032, Kind::Check, "date/time", "дату/время"},
    {1036, Kind::Radio, "selected param.", "парам. по списку"},
    {1037, Kind::Radio, "data tele", "телем. данных"},
    {1038, Kind::Radio, "signal tele", "телем. сигнала"},
    {1040, Kind::Static, "", ""},
    {1041, Kind::Button, "Change", "Изменить"},
    {1045, Kind::Group, "GPS/GLONASS", "GPS/GLONASS"},
    {1042, Kind::Radio, "not use", "не использовать"},
    {1043, Kind::Radio, "GPS/GLONASS", "GPS/GLONASS"},
    {1044, Kind::Radio, "GLONASS only", "только GLONASS"},
};

struct Texts {
    const char* English;
    const char* Russian;
};

const Texts MainFrames[] = {
    {"Network", "Сеть"},
    {"Polarization", "Поляризация"},
    {"Range", "Диапазон"},
    {"Syncronization", "Синхронизация"},
    {"By network", "По сети"},
    {"Send to device", "Выдавать в прибор"},
    {"Send to server", "Выдача на сервер"},
};

const Texts MainLabels[] = {
    {"Type of telemetry", "Тип телеметрии ЦД"},
    {"MAC address", "MAC адрес"},
    {"DNS server", "DNS сервер"},
    {"default gateway", "основной шлюз"},
    {"subnet mask", "маска подсети"},
    {"IP address", "IP-адрес"},
    {"Monitoring server address", "Адрес сервера мониторинга"},
    {"NTP server", "NTP сервер"},
};

QString Text(const Texts& t, SourceCase source) {
    return QString::fromUtf8(IsRussian(source) ? t.Russian : t.English);
}

QString ControlText(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
}

bool HasKind(QWidget* w, Kind kind) {
    switch (kind) {
    case Kind::Combo:
        return qobject_cast<QComboBox*>(w) && !qobject_cast<QComboBox*>(w)->isEditable();
    case Kind::Radio:
        return qobject_cast<QRadioButton*>(w) != nullptr;
    case Kind::Check:
        return qobject_cast<QCheckBox*>(w) != nullptr;
    case Kind::Address:
        return qobject_cast<IpAddressEdit*>(w) != nullptr;
    case Kind::Edit:
        return qobject_cast<QLineEdit*>(w) && !qobject_cast<QLineEdit*>(w)->isReadOnly();
    case Kind::ReadOnlyEdit:
        return qobject_cast<QLineEdit*>(w) && qobject_cast<QLineEdit*>(w)->isReadOnly();
    case Kind::Static:
        return qobject_cast<QLabel*>(w) &&
               qobject_cast<QLabel*>(w)->frameShape() != QFrame::NoFrame;
    case Kind::Button:
        return qobject_cast<QPushButton*>(w) != nullptr;
    case Kind::Group:
        return qobject_cast<QGroupBox*>(w) != nullptr;
    case Kind::List:
        return qobject_cast<CTableCtrl*>(w) != nullptr;
    }
    return false;
}

bool IsCompound(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const IpAddressEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

/// The widgets a user reads or operates (a compound control counting as one), visible ones.
std::vector<QWidget*> VisibleLeaves(QDialog& dialog) {
    std::vector<QWidget*> leaves;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        const bool leaf = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                          qobject_cast<QLineEdit*>(w) || IsCompound(w);
        bool inCompound = false;
        for (QWidget* p = w->parentWidget(); p && p != &dialog; p = p->parentWidget())
            inCompound = inCompound || IsCompound(p);
        if (leaf && !inCompound && w->isVisibleTo(&dialog))
            leaves.push_back(w);
    }
    return leaves;
}

QRect InDialog(QWidget* w, QDialog& dialog) {
    return QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size());
}

/// Nothing cut off (every text gets at least its minimum size, inside the window) and no two
/// controls overlapping, at the dialog's current size.
void ExpectTidyLayout(QDialog& dialog) {
    const std::vector<QWidget*> leaves = VisibleLeaves(dialog);
    ASSERT_GT(leaves.size(), 40u);
    for (size_t i = 0; i < leaves.size(); ++i) {
        QWidget* a = leaves[i];
        const QRect ra = InDialog(a, dialog);
        EXPECT_TRUE(dialog.rect().contains(ra)) << a->objectName().toStdString();
        EXPECT_GE(a->width(), a->minimumSizeHint().width()) << a->objectName().toStdString();
        EXPECT_GE(a->height(), a->minimumSizeHint().height()) << a->objectName().toStdString();
        for (size_t j = i + 1; j < leaves.size(); ++j)
            EXPECT_FALSE(ra.intersects(InDialog(leaves[j], dialog)))
                << a->objectName().toStdString() << " overlaps "
                << leaves[j]->objectName().toStdString();
    }
}

class CountingDlg : public CVelmoraDlg {
public:
    int Inits = 0;

protected:
    bool OnInitDialog() override {
        ++Inits;
        return CVelmoraDlg::OnInitDialog();
    }
};
} // namespace

TEST(MainDialog, EveryControlOfTheTemplateWithItsKindAndTextInEverySource) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        CVelmoraDlg dialog;
        for (const TemplateControl& c : MainControls) {
            QWidget* w = dialog.Control(c.Id);
            ASSERT_NE(w, nullptr) << c.Id;
            EXPECT_TRUE(HasKind(w, c.Type)) << c.Id << " is a " << w->metaObject()->className();
            EXPECT_EQ(ControlText(w), Text({c.English, c.Russian}, source)) << c.Id;
            // Both lists of the dialog keep their entries sorted.
            EXPECT_TRUE(c.Type != Kind::Combo ||
                        w->property(QtDialogControls::SortedProperty).toBool())
                << c.Id;
        }
        std::set<QString> frames, labels;
        for (QGroupBox* g : dialog.findChildren<QGroupBox*>())
            frames.insert(g->title());
        for (QLabel* l : dialog.findChildren<QLabel*>())
            labels.insert(l->text());
        for (const Texts& t : MainFrames)
            EXPECT_TRUE(frames.count(Text(t, source))) << t.English;
        for (const Texts& t : MainLabels)
            EXPECT_TRUE(labels.count(Text(t, source))) << t.English;
    }
}

TEST(MainDialog, HiddenControlsOfTheTemplates) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        CVelmoraDlg dialog;
        EXPECT_FALSE(dialog.KeysErrorCheck->isVisibleTo(&dialog));
        EXPECT_FALSE(dialog.KeysWrittenCheck->isVisibleTo(&dialog));
        // Only the Russian template hides the GNSS frame; the form's reset hides it in both.
        EXPECT_EQ(dialog.GnssGroup->isVisibleTo(&dialog), !IsRussian(source));
    }
}

TEST(MainDialog, MembersAreBoundToTheirControlsAndTheStateStartsEmpty) {
    UseSourceCase(SourceCase::OwnEnglish);
    CVelmoraDlg dialog;
    EXPECT_EQ(dialog.DeviceAddressCombo, dialog.Control(ctl::DeviceAddressCombo));
    EXPECT_EQ(dialog.NetAddressCtrls[3], dialog.Control(ctl::DnsServer));
    EXPECT_EQ(dialog.RangeRadios[2], dialog.Control(ctl::RangeR2));
    EXPECT_EQ(dialog.GnssRadios[2], dialog.Control(ctl::GnssGlonassOnly));
    EXPECT_EQ(dialog.GnssGroup, dialog.Control(ctl::GnssGroup));

    DialogState& state = dialog.State();
    EXPECT_EQ(state.Controls, &dialog.Controls());
    EXPECT_EQ(state.Window, &dialog.Window());
    EXPECT_NE(state.Prompts, nullptr);
    EXPECT_NE(state.Profile, nullptr);
    EXPECT_NE(state.Clock, nullptr);
    EXPECT_EQ(std::vector<int>(state.DefaultTeleTypeSet.begin(), state.DefaultTeleTypeSet.end()),
              (std::vector<int>{42, 43, 50, 51, 59, 60, 62, 65, 67, 68, 72, 73, 204}));
    EXPECT_EQ(state.TimerId, 0u);
    EXPECT_EQ(state.FirmwareVersion, 0);
    EXPECT_EQ(state.DeviceFlags, 0);
    EXPECT_EQ(state.DinModeFlag, 0u);
    EXPECT_EQ(state.VinProbePending.load(), 0u);
    EXPECT_TRUE(state.WriteQueue.empty());
}

TEST(MainDialog, InitialisesOnceWhenFirstShownWithTheProgramsIcon) {
    UseSourceCase(SourceCase::OwnRussian);
    CountingDlg dialog;
    EXPECT_EQ(dialog.Inits, 0);
    dialog.show();
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.Inits, 1);
    EXPECT_FALSE(dialog.DialogIcon.isNull());
    EXPECT_EQ(dialog.windowIcon().cacheKey(), dialog.DialogIcon.cacheKey());
}

TEST(MainDialog, EnterDoesNothingEscapeAndCloseBoxEndTheRun) {
    UseSourceCase(SourceCase::OwnEnglish);
    CVelmoraDlg dialog;
    bool openAfterEnter = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(dialog.ServerEdit, Qt::Key_Return);
        QTest::keyClick(dialog.InfoEdit, Qt::Key_Enter);
        openAfterEnter = dialog.isVisible();
        QTest::keyClick(dialog.ServerEdit, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_FALSE(dialog.isVisible());

    QTimer::singleShot(0, &dialog, [&] { dialog.close(); });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(MainDialog, LayoutIsTidyAndResizableInEveryLanguage) {
    for (SourceCase source : AllSourceCases) {
        SCOPED_TRACE(SourceCaseName(source));
        UseSourceCase(source);
        CVelmoraDlg dialog;
        dialog.GnssGroup->show(); // the reading of an adapter's settings may show it
        dialog.show();
        QApplication::processEvents();
        ExpectTidyLayout(dialog);
        EXPECT_LT(dialog.minimumSize().width(), dialog.maximumSize().width());
        dialog.resize(dialog.size() * 1.4);
        QApplication::processEvents();
        ExpectTidyLayout(dialog);
        dialog.resize(dialog.minimumSizeHint());
        QApplication::processEvents();
        ExpectTidyLayout(dialog);
    }
}

// Writes build/screenshots/main_<lang>.png, the main dialog as the user first sees it.
TEST(MainDialog, Screenshots) {
    QDir().mkpath(QStringLiteral(VELMORA_SCREENSHOT_DIR));
    for (SourceCase source : {SourceCase::OwnEnglish, SourceCase::OwnRussian}) {
        UseSourceCase(source);
        CVelmoraDlg dialog;
        dialog.show();
        // A few rows, one cut short by its column, so the list's lines and cells show.
        dialog.ParamList->AddRow(u"K1_RMS_1 Hz - 1 kHz -> 2 Hz - 20 kHz\n10\n+\n00000101\n", 0);
        dialog.ParamList->AddRow(u"K1_Peak\n1\n-\n00000102\n", 1);
        dialog.ParamList->AddRow(u"K2_RMS_10 Hz\n60\n+\n00000103\n", 2);
        dialog.ParamList->RebuildItems();
        dialog.ParamList->SelectByItemData(1);
        QApplication::processEvents();
        const QString path = QStringLiteral(VELMORA_SCREENSHOT_DIR "/main_%1.png")
                                 .arg(QLatin1String(SourceCaseName(source)));
        EXPECT_TRUE(dialog.grab().save(path)) << path.toStdString();
    }
}
