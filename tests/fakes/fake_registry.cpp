// The fakes are headers only; the benchmarks still list this unit.
#include "fake_registry.h"
