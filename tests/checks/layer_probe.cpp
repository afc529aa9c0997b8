// Built only by the structure_upward_include test, with the include roots of platform/.
#ifdef LUMO_PROBE_UPWARD
#include "session/Settings.h" // one folder up: must not be found
#else
#include "platform/FileOps.h" // the folder's own header: must build
#endif
