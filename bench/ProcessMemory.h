// Memory figures of this process from /proc/self/status, in KiB; -1 when
// the field cannot be read.
#pragma once

// Resident set now (VmRSS).
long ResidentKb();
// The peak of the resident set so far (VmHWM).
long PeakResidentKb();
