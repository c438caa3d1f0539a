#include "app/build_config.h"

#include <gtest/gtest.h>

// The cache variables can be set to anything; the session and the client take
// these addresses as they are.
TEST(BuildConfig, AddressesAreAbsoluteWebAddressesOnOneMarketplace)
{
    const auto isWebAddress = [](const QUrl &url) {
        return url.isValid() &&
               (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")) &&
               !url.host().isEmpty();
    };
    EXPECT_TRUE(isWebAddress(quill::build::apiBaseURL()))
        << quill::build::apiBaseURL().toString().toStdString();
    const QUrl home = quill::build::marketplaceHomeURL();
    EXPECT_TRUE(isWebAddress(home)) << home.toString().toStdString();

    const QString prefix = quill::build::marketplaceLivePrefix();
    const QUrl live(prefix);
    EXPECT_TRUE(isWebAddress(live)) << prefix.toStdString();
    EXPECT_TRUE(prefix.endsWith(QLatin1Char('/'))) << prefix.toStdString();
    EXPECT_EQ(live.host(), home.host());
    EXPECT_EQ(live.port(), home.port());
}
