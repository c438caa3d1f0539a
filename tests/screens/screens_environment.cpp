// Every screen is rendered in the application's own look.
#include "ui/widgets/style.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class ApplicationLook final : public ::testing::Environment
{
public:
    void SetUp() override { quill::applyAppLook(*qApp); }
};

const ::testing::Environment *const kLook = ::testing::AddGlobalTestEnvironment(new ApplicationLook);

} // namespace
