#pragma once
// The user account the program runs under, as the system's password database describes it.

#include <QString>

namespace quenbry {

// The account's full name: the first field of its passwd entry's name (GECOS) field, or the
// login name when that field is empty; "" when the account has no entry.
QString accountFullName();

} // namespace quenbry
