#pragma once

namespace fmt {

// Local dates are converted by the C library, which, with TZ unset, reads
// /etc/localtime again at every conversion (a file look-up per date: half the
// time of reading a million-row profile). Naming that same zone in TZ makes it
// read the file once; a change of the system's zone is then seen at the next
// start. Call at start-up, before any thread. Does nothing when TZ is set or
// off Linux.
void pinLocalTimeZone();

}  // namespace fmt
