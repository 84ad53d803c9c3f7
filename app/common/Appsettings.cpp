#include "app/common/Appsettings.h"

#include <QStringList>

QString NativeSettingsPath(bool windows)
{
    if (!windows)
        return {};
    return QStringLiteral("HKEY_CURRENT_USER\\") + QString::fromLatin1(kSettingsOrganization) + QLatin1Char('\\') +
           QString::fromLatin1(kSettingsApplication);
}

std::unique_ptr<QSettings> OpenSettingsStore()
{
#ifdef Q_OS_WIN
    constexpr bool kWindows = true;
#else
    constexpr bool kWindows = false;
#endif
    const QString path = NativeSettingsPath(kWindows);
    if (!path.isEmpty())
        return std::make_unique<QSettings>(path, QSettings::NativeFormat);
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

QString FlowControlText(TLnFlowControl flow)
{
    return flow == TLnFlowControl::None ? QStringLiteral("none") : QStringLiteral("hardware");
}

TLnFlowControl FlowControlFromText(const QString& text)
{
    return text.trimmed().compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0 ? TLnFlowControl::None
                                                                                   : TLnFlowControl::Hardware;
}
