// The report's page (report/report-page.html), built into the tool.
#pragma once

#include <cstddef>

extern const unsigned char kReportPageBytes[];
extern const size_t kReportPageSize;
