// The per-user settings store: organization "tavelin works", application
// "varnscope", one group per section.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "link/Lnport.h"

inline constexpr const char* kSettingsOrganization = "tavelin works";
inline constexpr const char* kSettingsApplication = "varnscope";

// Opened fresh each time so that every reader sees what the last writer left.
std::unique_ptr<QSettings> OpenSettingsStore();

// The store's full native path where one must be given ("HKEY_CURRENT_USER\tavelin works\varnscope"
// on Windows, where Qt's own choice would add "Software\"); empty where
// Qt's per-user location for the organization and application serves.
QString NativeSettingsPath(bool windows);

// True when the store holds the named section (a top-level group).
bool SettingsSectionExists(QSettings& store, const QString& section);

// Integer values are read tolerantly: a value that is not a number reads as the default.
int ReadSettingsInteger(QSettings& store, const QString& section, const QString& name, int fallback);
QString ReadSettingsText(QSettings& store, const QString& section, const QString& name, const QString& fallback);

// The link's flow control as stored: "hardware" or "none"; any other text reads as hardware.
QString FlowControlText(TLnFlowControl flow);
TLnFlowControl FlowControlFromText(const QString& text);
