// libTAVEBSGLItem.so: the server of TAVEBSGLItem.ItemInfo.
#include "platform/com/inproc_server.h"
#include "platform/outside/item_info/item_info.h"

com::InprocServer& TavInprocServer() {
  return com::SingleClassServer<outside::ItemInfo>(outside::kItemInfoLibrary);
}
