// libTAVEBSBase.so: the server of TAVEBSBase.SystemProfile.
#include "platform/com/inproc_server.h"
#include "platform/outside/system_profile/system_profile.h"

namespace {

constexpr com::ClassInfo kClasses[] = {
    {u"SystemProfile", com::Guid::Parse("{763D593E-1BC4-45CA-8E51-61F58BCE341C}"),
     &outside::kSystemProfileInterface},
};
constexpr com::LibraryInfo kLibrary{u"TAVEBSBase",
                                    com::Guid::Parse("{E620CD94-730B-47F8-9644-0FE1732C767A}"),
                                    1,
                                    0,
                                    0x409,
                                    u"TAVEBSBase: system profile values",
                                    kClasses};

const com::ServerClass kServedClasses[] = {
    {kClasses[0], &com::CreateServed<outside::SystemProfile>},
};

}  // namespace

com::InprocServer& TavInprocServer() {
  static com::InprocServer server(kLibrary, kServedClasses);
  return server;
}
