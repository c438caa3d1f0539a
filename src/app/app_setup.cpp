#include "app/app_setup.h"

#include "app/build_config.h"

namespace quill {

QUrl buildApiBaseURL()
{
    return build::apiBaseURL();
}

QUrl buildMarketplaceHomeURL()
{
    return build::marketplaceHomeURL();
}

QString buildMarketplaceLivePrefix()
{
    return build::marketplaceLivePrefix();
}

} // namespace quill
