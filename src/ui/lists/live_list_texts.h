#pragma once

#include "common/decimal.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace quill {

// "$" and the amount's own decimal text ("$12.5"); "$—" for a sum too large to hold.
QString dollarText(const std::optional<Decimal> &amount);
// The role names every live list shares, for views that look records up by name.
QHash<int, QByteArray> liveListRoleNames();

} // namespace quill
