#include "component/Version.h"

const char* AnnalistVersionText() { return ANNALIST_VERSION_TEXT; }
