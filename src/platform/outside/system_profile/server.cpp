// libTAVEBSBase.so: the server of TAVEBSBase.SystemProfile.
#include "platform/com/inproc_server.h"
#include "platform/outside/system_profile/system_profile.h"

com::InprocServer& TavInprocServer() {
  return com::SingleClassServer<outside::SystemProfile>(outside::kSystemProfileLibrary);
}
