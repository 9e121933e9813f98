// libTAVMPrintExport.so's server: its three classes, served through the product's shared entry
// points (platform/com/server_entry_points.cpp), and the install directory that registration
// records for the product.
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "frame/cls_print_setup_update.h"
#include "platform/com/inproc_server.h"
#include "server/install_directory.h"
#include "typelib/library.h"

namespace {

const com::ServerClass kServedClasses[] = {
    {typelib::kClsGetData, &com::CreateServed<frame::clsGetData>},
    {typelib::kClsPrintSetupQuery, &com::CreateServed<frame::clsPrintSetupQuery>},
    {typelib::kClsPrintSetupUpdate, &com::CreateServed<frame::clsPrintSetupUpdate>},
};

}  // namespace

com::InprocServer& TavInprocServer() {
  static com::InprocServer server(
      typelib::kLibrary, kServedClasses,
      {&server::RecordInstallDirectory, &server::ForgetInstallDirectory});
  return server;
}
