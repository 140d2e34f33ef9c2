#pragma once
// Lets GoogleTest print a LoaderVersion as "a.b.c.d" in failure messages.
#include <ostream>

#include "selfupdate/loader_version.h"

inline void PrintTo(const LoaderVersion& v, std::ostream* os) {
    *os << v.major << '.' << v.minor << '.' << v.build << '.' << v.revision;
}
