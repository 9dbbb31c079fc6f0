// The two product levels of the library. They behave alike except for a few
// points of the report (declarations, time ticks, step sources, the
// test-management server and project) and of step processing (no source
// information, no users picture at the earlier level). A logger's level is
// fixed when the logger is created.
#pragma once

enum class ProductLevel { Current, Earlier };
