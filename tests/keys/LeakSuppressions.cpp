// These tests build the host's widgets and dialogs, as the application does: the same system
// library leaks are set aside.
#include "LeakSuppressions.h"

extern "C" const char* __lsan_default_suppressions() { return LeakSuppressions::systemLibraries; }
