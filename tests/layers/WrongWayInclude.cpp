// Compiled with one layer's include path. Without WRONG_WAY it includes only
// what every layer may see and must compile; with WRONG_WAY it includes a
// header of the layer named, which must not be found.
#include "platform/ByteReader.h"

#ifdef WRONG_WAY
#include WRONG_WAY
#endif

int main() { return 0; }
