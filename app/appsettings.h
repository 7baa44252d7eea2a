// The program's settings: where they live and the names of their values.
//
// On Windows QSettings("Orvanti", "Pictaron") is the registry key
// "\Software\Orvanti\Pictaron"; on Linux an INI file under ~/.config/Orvanti/.
// Values are text (booleans "0"/"1"); read them with components/settingstext.h.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace pictaron {

inline const QString kSettingsOrganisation = QStringLiteral("Orvanti");
inline const QString kSettingsApplication = QStringLiteral("Pictaron");
// For settings kept by components: "Organisation/Application".
inline const QString kSettingsPath = kSettingsOrganisation + QLatin1Char('/') + kSettingsApplication;

inline const QString kSplashSetting = QStringLiteral("Splash");
inline const QString kOpenFolderSetting = QStringLiteral("Open File Directory");
inline const QString kSaveAsFolderSetting = QStringLiteral("Save File Directory");
inline const QString kSavedFolderSetting = QStringLiteral("Save Dir");
inline const QString kPaletteFolderSetting = QStringLiteral("Palette Dir");
inline const QString kBlendFolderSetting = QStringLiteral("Blend Image Dir");
// Whether an unsaved result is discarded only after asking ("1", the default).
inline const QString kConfirmDiscardSetting = QStringLiteral("Confirm Discard");
// Pictures open as stored rather than turned upright by their EXIF Orientation.
inline const QString kKeepOrientationSetting = QStringLiteral("Keep Orientation");
// The download-time list shows today's lines after the seven ("0", the default).
inline const QString kTodaysLinesSetting = QStringLiteral("Todays Line Speeds");

inline std::unique_ptr<QSettings> OpenProgramSettings()
{
    return std::make_unique<QSettings>(kSettingsOrganisation, kSettingsApplication);
}

} // namespace pictaron
