#include "src/VivivI.h"
