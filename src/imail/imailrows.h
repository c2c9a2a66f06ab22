#pragma once
#include "imail/imaillist.h"
#include "imailrow.h"

namespace modWebFunctions {

// The parsed inbox as bus rows, newest first (rows sent in the same minute
// keep the page's order). Times are read as the site's wall-clock times.
IMailRows toIMailRows(const IMailList &list);

} // namespace modWebFunctions
