#pragma once

#include <QString>

namespace Velmora {

// The keys of the per-user settings store, spelled as earlier versions stored them.
namespace SettingKey {
inline const QString Title = QStringLiteral("Title");
inline const QString SurveyQuestions = QStringLiteral("Survey Questions");
inline const QString Background = QStringLiteral("Background");
inline const QString OutputFolder = QStringLiteral("Output Folder");
inline const QString Message = QStringLiteral("Message");
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");
} // namespace SettingKey

// The mirror of the kept fields: per user, surviving restarts, texts kept exactly.
// Application "Kestrand", section "Velmora".
class SettingsStore {
public:
    // The stored text, or `defaultValue` when the key is absent. Reading creates nothing.
    QString GetSetting(const QString &key, const QString &defaultValue = {}) const;
    // Stores the text and writes it to disk at once; false when it did not reach the disk.
    bool SaveSetting(const QString &key, const QString &value);
};

} // namespace Velmora
