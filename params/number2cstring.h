// One number formatted into a shared buffer, valid until the next call.
#ifndef TORVIX_PARAMS_NUMBER2CSTRING_H
#define TORVIX_PARAMS_NUMBER2CSTRING_H

const char *number2str(float x);
const char *number2str(double x);
const char *number2str(unsigned x);
const char *number2str(int x);

#endif
