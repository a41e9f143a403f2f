#pragma once
#include <QIcon>
#include <QLocale>
#include <QString>

#include <string>

class QDialog;
class QWidget;

/// Where every dialog template, string-table string and icon of the run comes from.
enum class ResourceOrigin {
    OwnEnglish, ///< the program's own English copy
    OwnRussian, ///< the program's own Russian copy
    Tovrin,     ///< the English resource bundle "Tovrin.rcc" beside the program
};

/// Name of the English resource bundle looked for in the program's folder.
inline constexpr char TovrinFileName[] = "Tovrin.rcc";

/// The current resource source, one for the whole process. Templates are Qt Designer files
/// "dialog_<id>.ui" whose controls carry their id in the int property "controlId"; strings are
/// "strings.json" ({"103": "...", ...}); icons are "icon_<id>_<size>.png" of the program's own.
class ResourceSource {
public:
    /// Registers "Tovrin.rcc" from `folder` as data (nothing of it runs); true when it loaded.
    /// A bundle registered by an earlier call is released first.
    static bool LoadTovrin(const QString& folder);
    /// Makes the loaded bundle the source of every dialog and string.
    static void UseTovrin();
    /// Makes the program's own resources the source: Russian when `uiLanguage` is Russian,
    /// English otherwise.
    static void UseOwn(QLocale::Language uiLanguage);
    static ResourceOrigin Origin();

    /// Builds template `templateId` into `dialog` (its title, size, layout and controls, its
    /// Tab order, and each radio group as one Tab stop at its checked button).
    /// Returns false, leaving the dialog empty, when the source has no such template.
    static bool BuildDialog(int templateId, QDialog& dialog);
    /// Text of string `id`; empty when the source has none.
    static QString LoadString(int id);
    static std::u16string LoadStringU16(int id);
    /// Icon `id` in every size the source holds; a null icon when it holds none.
    static QIcon LoadIcon(int id);

    /// The control of a built dialog whose "controlId" property is `controlId`; null when none.
    static QWidget* FindControl(const QWidget& dialog, int controlId);
    /// Name of the dynamic property that carries a control's id in the templates.
    static constexpr char ControlIdProperty[] = "controlId";
};
