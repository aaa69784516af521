// The status sink is an interface only; this unit keeps the client library
// non-empty while its other classes are still to come.
#include "Client/Shell/CAbstractStatus.h"
