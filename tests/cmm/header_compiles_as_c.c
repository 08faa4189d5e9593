/* The public headers, with the export list expanded, must compile as C as
 * well as C++. */
#include "k7730fe.h"
#include "k7730fe_cmm.h"

int k7730_cmm_header_is_c(void) {
  K7730_PixelMap map = {0, 0, 3, 0, 0};
  K7730_ProfileHeader header;
  header.colorSpace = K7730_SIG_RGB;
  return (int)(map.components + (header.colorSpace == K7730_SIG_RGB));
}
