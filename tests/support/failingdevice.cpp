#include "support/failingdevice.h"
