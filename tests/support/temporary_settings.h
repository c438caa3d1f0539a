#pragma once

#include "common/settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace quill::testing {

// A settings store of its own in a fresh temporary folder, installed as the shared store
// while it lives; the store it replaced comes back when it goes. Reads like a pointer
// to the store, so fixtures keep writing `m_settings->setString(...)`.
class TemporarySettings final
{
    Q_DISABLE_COPY_MOVE(TemporarySettings)

public:
    explicit TemporarySettings(const QString &fileName = QStringLiteral("settings.ini"))
    {
        EXPECT_TRUE(m_folder.isValid()) << "no temporary folder for the settings";
        m_settings = std::make_unique<Settings>(m_folder.filePath(fileName));
        m_previous = Settings::setShared(m_settings.get());
    }
    ~TemporarySettings() { Settings::setShared(m_previous); }

    Settings *get() const { return m_settings.get(); }
    Settings &operator*() const { return *m_settings; }
    Settings *operator->() const { return m_settings.get(); }

    // A path in the store's folder, for files that belong beside it.
    QString filePath(const QString &name) const { return m_folder.filePath(name); }
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Settings> m_settings;
    Settings *m_previous = nullptr;
};

} // namespace quill::testing
