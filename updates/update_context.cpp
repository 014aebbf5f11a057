#include "updates/update_context.h"

namespace zelvon::updates {

QString UpdateContext::serverAddress(const QString& path) const {
    QString base = updateUrl;
    while (base.endsWith(u'/')) base.chop(1);
    return base + path;
}

}  // namespace zelvon::updates
