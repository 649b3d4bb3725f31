#include "account.h"

#include <pwd.h>
#include <unistd.h>

namespace quenbry {

QString accountFullName() {
    const passwd *entry = ::getpwuid(::getuid());
    if (!entry)
        return {};
    // The field is "Full Name,Room,Work Phone,Home Phone,Other", its parts often empty.
    const QString name =
        QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "").section(u',', 0, 0);
    return name.trimmed().isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : name.trimmed();
}

} // namespace quenbry
