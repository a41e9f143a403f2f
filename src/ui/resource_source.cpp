#include "ui/resource_source.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QUiLoader>

#include "ui/ip_address_edit.h"
#include "ui/qt_text.h"
#include "ui/radio_tab_stops.h"
#include "ui/table_ctrl.h"

// The embedded resources live in a static library, so their registration is called by name.
static void InitEmbeddedResources() {
    Q_INIT_RESOURCE(velmora_res);
}

namespace {
constexpr char TovrinRoot[] = ":/tovrin/";
constexpr char OwnEnglishRoot[] = ":/velmora/en/";
constexpr char OwnRussianRoot[] = ":/velmora/ru/";
constexpr char OwnIconFolder[] = ":/velmora/icons";

struct SourceState {
    bool Chosen = false;
    ResourceOrigin Origin = ResourceOrigin::OwnEnglish;
    QString TovrinPath; ///< registered bundle, empty when none
    bool StringsLoaded = false;
    QHash<int, QString> Strings;
};

SourceState& State() {
    static SourceState state;
    return state;
}

void Choose(ResourceOrigin origin) {
    InitEmbeddedResources();
    SourceState& s = State();
    s.Chosen = true;
    s.Origin = origin;
    s.StringsLoaded = false;
    s.Strings.clear();
}

SourceState& Current() {
    SourceState& s = State();
    if (!s.Chosen)
        ResourceSource::UseOwn(QLocale::system().language());
    return s;
}

QString Root() {
    switch (Current().Origin) {
    case ResourceOrigin::Tovrin:
        return TovrinRoot;
    case ResourceOrigin::OwnRussian:
        return OwnRussianRoot;
    case ResourceOrigin::OwnEnglish:
        break;
    }
    return OwnEnglishRoot;
}

/// Builds the template's top-level widget as the given dialog and our own control classes as
/// themselves (the base loader knows only Qt's classes).
class TemplateLoader : public QUiLoader {
public:
    explicit TemplateLoader(QDialog& target) : target_(target) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        if (parent == nullptr && !targetUsed_) {
            targetUsed_ = true;
            target_.setObjectName(name);
            return &target_;
        }
        QWidget* widget = nullptr;
        if (className == QLatin1String("IpAddressEdit"))
            widget = new IpAddressEdit(parent);
        else if (className == QLatin1String("CTableCtrl"))
            widget = new CTableCtrl(parent);
        if (!widget)
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }

private:
    QDialog& target_;
    bool targetUsed_ = false;
};
} // namespace

bool ResourceSource::LoadTovrin(const QString& folder) {
    SourceState& s = State();
    if (!s.TovrinPath.isEmpty()) {
        QResource::unregisterResource(s.TovrinPath);
        s.TovrinPath.clear();
        if (s.Origin == ResourceOrigin::Tovrin)
            s.Chosen = false;
    }
    const QString path = QDir(folder).filePath(QLatin1String(TovrinFileName));
    if (!QFile::exists(path) || !QResource::registerResource(path))
        return false;
    s.TovrinPath = path;
    return true;
}

void ResourceSource::UseTovrin() {
    Choose(ResourceOrigin::Tovrin);
}

void ResourceSource::UseOwn(QLocale::Language uiLanguage) {
    Choose(uiLanguage == QLocale::Russian ? ResourceOrigin::OwnRussian
                                          : ResourceOrigin::OwnEnglish);
}

ResourceOrigin ResourceSource::Origin() {
    return Current().Origin;
}

bool ResourceSource::BuildDialog(int templateId, QDialog& dialog) {
    QFile file(Root() + QStringLiteral("dialog_%1.ui").arg(templateId));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    TemplateLoader loader(dialog);
    loader.setTranslationEnabled(false);
    if (loader.load(&file, nullptr) != &dialog)
        return false;
    KeepRadioTabStopsOnChecked(dialog);
    return true;
}

QString ResourceSource::LoadString(int id) {
    SourceState& s = Current();
    if (!s.StringsLoaded) {
        s.StringsLoaded = true;
        QFile file(Root() + QLatin1String("strings.json"));
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
            for (auto it = table.begin(); it != table.end(); ++it) {
                bool ok = false;
                const int key = it.key().toInt(&ok);
                if (ok && it.value().isString())
                    s.Strings.insert(key, it.value().toString());
            }
        }
    }
    return s.Strings.value(id);
}

std::u16string ResourceSource::LoadStringU16(int id) {
    return ToU16(LoadString(id));
}

QIcon ResourceSource::LoadIcon(int id) {
    // Only the program's own resources carry icons; the English bundle has none.
    if (Current().Origin == ResourceOrigin::Tovrin)
        return {};
    QIcon icon;
    const QDir folder{QString::fromLatin1(OwnIconFolder)};
    const QStringList names =
        folder.entryList({QStringLiteral("icon_%1_*.png").arg(id)}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        icon.addFile(folder.filePath(name));
    return icon;
}

QWidget* ResourceSource::FindControl(const QWidget& dialog, int controlId) {
    const auto widgets = dialog.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        bool ok = false;
        if (widget->property(ControlIdProperty).toInt(&ok) == controlId && ok)
            return widget;
    }
    return nullptr;
}
