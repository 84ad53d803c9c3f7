#include "app/shell/Appsettings.h"

#include <QStringList>

std::unique_ptr<QSettings> OpenSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::UserScope, QString::fromLatin1(kSettingsOrganization),
                                       QString::fromLatin1(kSettingsApplication));
}

bool SettingsSectionExists(QSettings& store, const QString& section)
{
    return store.childGroups().contains(section);
}

int ReadSettingsInteger(QSettings& store, const QString& section, const QString& name, int fallback)
{
    const QVariant value = store.value(section + QLatin1Char('/') + name);
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

QString ReadSettingsText(QSettings& store, const QString& section, const QString& name, const QString& fallback)
{
    const QVariant value = store.value(section + QLatin1Char('/') + name);
    return value.isValid() ? value.toString() : fallback;
}
