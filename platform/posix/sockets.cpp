// Placeholder until the simulator link's socket layer lands.
#include "platform/sockets.h"
