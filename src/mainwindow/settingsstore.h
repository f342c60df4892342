#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

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
//
// Every save is handed to a writer thread that puts it on disk at once, so typing
// into a field of a megabyte stays smooth. Saves that arrive while a write is
// under way are written together right after it: the newest text of every key
// always reaches the disk, and nothing is lost when the program ends.
class SettingsStore : public QObject {
    Q_OBJECT

public:
    SettingsStore();
    ~SettingsStore() override;

    // The stored text, or `defaultValue` when the key is absent. Reading creates nothing.
    QString GetSetting(const QString &key, const QString &defaultValue = {});
    void SaveSetting(const QString &key, const QString &value);
    // Returns once every save made so far has been written.
    void waitForWrites();

signals:
    // Saves started or stopped failing to reach the disk.
    void writesFailingChanged(bool failing);

private:
    void writeLoop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    QHash<QString, QString> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failing = false;
    std::thread m_writer;
};

} // namespace Velmora
