/* A stand-in filter module that has only the instance and settings exports,
 * as an older or cut-down build might: the print command must name what is
 * missing instead of calling it. */
#include <stdint.h>
#include <string.h>

#include "support/stand_in_module.h"

EXPORT void plugin_filter_disposPtr(void* address) { (void)address; }

