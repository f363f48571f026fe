// The trace object every program defines; no settings file, so it stays off.
#include "support/opus_trace.h"

COpusTrace g_Trace("");
