#include "product_servers.h"

#include "platform/com/activation.h"

namespace tavtest {

std::filesystem::path ProductLibrary(std::string_view file_name) {
  return std::filesystem::path(TAV_LIBRARY_DIR) / file_name;
}

void RegisterProductServers() {
  for (const std::string_view library : {"libTAVMPrintExport.so", "libTAVMBillsPackage.so",
                                         "libTAVEBSBase.so", "libTAVEBSGLItem.so"}) {
    com::RegisterServer(ProductLibrary(library));
  }
}

}  // namespace tavtest
