// The per-user settings store: organization "tavelin works", application
// "varnscope", one group per section.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

inline constexpr const char* kSettingsOrganization = "tavelin works";
inline constexpr const char* kSettingsApplication = "varnscope";

// Opened fresh each time so that every reader sees what the last writer left.
std::unique_ptr<QSettings> OpenSettingsStore();

// True when the store holds the named section (a top-level group).
bool SettingsSectionExists(QSettings& store, const QString& section);

// Integer values are read tolerantly: a value that is not a number reads as the default.
int ReadSettingsInteger(QSettings& store, const QString& section, const QString& name, int fallback);
QString ReadSettingsText(QSettings& store, const QString& section, const QString& name, const QString& fallback);
