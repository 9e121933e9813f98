// libTAVMBillsPackage.so: the server of TAVMBillsPackage.clsReadPackage.
#include "platform/com/inproc_server.h"
#include "platform/outside/bills_package/read_package.h"

namespace {

constexpr com::ClassInfo kClasses[] = {
    {u"clsReadPackage", com::Guid::Parse("{DDDE945D-4DF0-489F-9177-B9D5C542AE46}"),
     &outside::kReadPackageInterface},
};
constexpr com::LibraryInfo kLibrary{u"TAVMBillsPackage",
                                    com::Guid::Parse("{52708961-BB11-497C-A278-62813E672876}"),
                                    1,
                                    0,
                                    0x409,
                                    u"TAVMBillsPackage: bill template packages for printing",
                                    kClasses};

const com::ServerClass kServedClasses[] = {
    {kClasses[0], &com::CreateServed<outside::clsReadPackage>},
};

}  // namespace

com::InprocServer& TavInprocServer() {
  static com::InprocServer server(kLibrary, kServedClasses);
  return server;
}
