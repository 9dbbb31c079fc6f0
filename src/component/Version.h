// The library's version, as the command-line tool and the resources show it.
#pragma once

#define ANNALIST_VERSION_TEXT "1.0.0"

const char* AnnalistVersionText();
