// libTAVEBSGLItem.so: the server of TAVEBSGLItem.ItemInfo.
#include "platform/com/inproc_server.h"
#include "platform/outside/item_info/item_info.h"

namespace {

constexpr com::ClassInfo kClasses[] = {
    {u"ItemInfo", com::Guid::Parse("{BD05D813-14DD-4D17-A578-1FA204F1276B}"),
     &outside::kItemInfoInterface},
};
constexpr com::LibraryInfo kLibrary{u"TAVEBSGLItem",
                                    com::Guid::Parse("{32E0D0A6-93B2-478B-B599-CF2FD948D9D9}"),
                                    1,
                                    0,
                                    0x409,
                                    u"TAVEBSGLItem: items as printing needs them",
                                    kClasses};

const com::ServerClass kServedClasses[] = {
    {kClasses[0], &com::CreateServed<outside::ItemInfo>},
};

}  // namespace

com::InprocServer& TavInprocServer() {
  static com::InprocServer server(kLibrary, kServedClasses);
  return server;
}
