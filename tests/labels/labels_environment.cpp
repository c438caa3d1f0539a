// The shared appearance store lives as long as the process and keeps the settings
// store it was created over. Every test here installs settings of its own, so the
// shared store is created first, over settings that outlive all of them.
#include "common/settings.h"
#include "printing/label_appearance_store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SharedAppearanceEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_settings = std::make_unique<quill::Settings>(m_folder.filePath(QStringLiteral("shared.ini")));
        quill::Settings::setShared(m_settings.get());
        quill::LabelAppearanceStore::shared();
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<quill::Settings> m_settings;
};

[[maybe_unused]] ::testing::Environment *const g_environment =
    ::testing::AddGlobalTestEnvironment(new SharedAppearanceEnvironment);

} // namespace
