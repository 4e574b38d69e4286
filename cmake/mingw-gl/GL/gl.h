/* MinGW's GL/gl.h declares GL 1.1 alone; Mesa's, which the toolkit is written against, also
   brings in glext.h. Windows builds find this file first, so both headers give the same names. */
#include_next <GL/gl.h>
#include <GL/glext.h>
