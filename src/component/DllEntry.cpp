// Entry points of the shared library. The module, its class object and the
// registration exports are added with the component layer.
#include "pal/pal.h"
