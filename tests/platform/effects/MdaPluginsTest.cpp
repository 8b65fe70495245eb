#include "ProcessorFixture.h"
