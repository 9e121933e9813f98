// libTAVMBillsPackage.so: the server of TAVMBillsPackage.clsReadPackage.
#include "platform/com/inproc_server.h"
#include "platform/outside/bills_package/read_package.h"

com::InprocServer& TavInprocServer() {
  return com::SingleClassServer<outside::clsReadPackage>(outside::kReadPackageLibrary);
}
