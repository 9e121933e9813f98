#include "commands.h"

#include <system_error>

#include "json_values.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"
#include "platform/com/registry.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "recordset_printer.h"
#include "server_locator.h"
#include "typelib/library.h"
#include "typelib_printer.h"

namespace tavprint {

namespace {

using oleaut::ComError;

constexpr std::u16string_view kSource = u"tavprint";

[[noreturn]] void Raise(com::HRESULT hr, const std::string& description) {
  throw ComError(hr, Bstr(kSource), oleaut::FromUtf8(description));
}

// Whether `progid` is registered to a server library that is still there: a library of a build
// folder deleted since is as good as none.
bool RegisteredToAFile(const com::RegistryData& registry, const Bstr& progid) {
  const auto clsid = registry.GetValue(u"HKEY_CLASSES_ROOT\\" + progid + u"\\CLSID", u"");
  if (!clsid) return false;
  const auto library =
      registry.GetValue(u"HKEY_CLASSES_ROOT\\CLSID\\" + *clsid + u"\\InprocServer32", u"");
  std::error_code ignored;
  return library && std::filesystem::is_regular_file(ToUtf8(*library), ignored);
}

// Registers, from beside tavprint, every product server whose class is not in the registry or
// whose registered library is gone.
void RegisterMissingProductServers() {
  const com::RegistryData registry = com::Registry::Default().Read();
  for (const ProductServer& server : kProductServers) {
    if (RegisteredToAFile(registry, Bstr(server.progid))) continue;
    if (const auto library = FindServerLibrary(server.library)) com::RegisterServer(*library);
  }
}

}  // namespace

com::Ptr<com::Unknown> Activate(const Bstr& progid) {
  RegisterMissingProductServers();
  try {
    return com::CreateByProgID(progid);
  } catch (const ComError& error) {
    if (error.Number() != com::REGDB_E_CLASSNOTREG || typelib::FindClass(progid) == nullptr) {
      throw;
    }
    throw ComError(
        error.Number(), error.Source(),
        error.Description() + u"; no libTAVMPrintExport.so was found beside tavprint to register");
  }
}

com::Ptr<com::Dispatch> ActivateLateBound(const Bstr& progid) {
  com::Ptr<com::Dispatch> object = com::As<com::Dispatch>(Activate(progid));
  if (!object) {
    Raise(com::E_NOINTERFACE, oleaut::ToUtf8(progid) + " cannot be called by name");
  }
  return object;
}

void FailCommand(const std::string& message) {
  throw ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), u"tavprint",
                 oleaut::FromUtf8(message));
}

std::vector<std::filesystem::path> ServerLibraries(
    const std::optional<std::filesystem::path>& given) {
  if (given) return {std::filesystem::absolute(*given)};
  std::vector<std::filesystem::path> libraries;
  for (const ProductServer& server : kProductServers) {
    if (auto found = FindServerLibrary(server.library)) libraries.push_back(std::move(*found));
  }
  if (!FindServerLibrary()) {
    Raise(com::CO_E_DLLNOTFOUND,
          "No libTAVMPrintExport.so beside tavprint (in ../lib); give one with --library");
  }
  return libraries;
}

void RunRegister(const std::vector<std::filesystem::path>& libraries, std::ostream& out) {
  for (const std::filesystem::path& library : libraries) {
    com::RegisterServer(library);
    out << "Registered " << library.string() << " in " << com::Registry::DefaultFile().string()
        << '\n';
  }
}

namespace {

// Whether a class of the registry is served by `library` (its InprocServer32 names it).
bool IsRegistered(const std::filesystem::path& library) {
  const com::RegistryData registry = com::Registry::Default().Read();
  std::error_code error;
  const auto canonical = std::filesystem::weakly_canonical(library, error);
  const Bstr classes = u"HKEY_CLASSES_ROOT\\CLSID";
  for (const Bstr& clsid : registry.SubKeyNames(classes)) {
    const auto path = registry.GetValue(classes + u"\\" + clsid + u"\\InprocServer32", u"");
    if (!path) continue;
    const auto named = std::filesystem::path(oleaut::ToUtf8(*path));
    if (named == library || std::filesystem::weakly_canonical(named, error) == canonical)
      return true;
  }
  return false;
}

}  // namespace

void RunUnregister(const std::vector<std::filesystem::path>& libraries, std::ostream& out) {
  for (const std::filesystem::path& library : libraries) {
    if (!IsRegistered(library)) {
      out << library.string() << " was not registered in " << com::Registry::DefaultFile().string()
          << ": nothing to remove\n";
      continue;
    }
    com::UnregisterServer(library);
    out << "Unregistered " << library.string() << " from " << com::Registry::DefaultFile().string()
        << '\n';
  }
}

void RunTypelib(bool json, std::ostream& out) {
  if (json) return WriteJson(TypeLibraryJson(typelib::kLibrary), out);
  PrintTypeLibrary(typelib::kLibrary, out);
}

namespace {

const oleaut::ByteArray* FindByteArray(const Variant& value) {
  if (value.Type() == oleaut::VarType::ByteArray) return &value.AsByteArray();
  if (!value.IsObject() || !value.AsObject()) return nullptr;
  if (const auto list = com::As<vdl::List>(value.AsObject())) {
    for (std::int32_t i = list->LowerBound(); i <= list->UpperBound(); ++i) {
      if (const auto* found = FindByteArray(list->Item(i))) return found;
    }
  } else if (const auto dictionary = com::As<vdl::Dictionary>(value.AsObject())) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(dictionary->Count()); ++i) {
      if (const auto* found = FindByteArray(dictionary->ItemAt(i))) return found;
    }
  }
  return nullptr;
}

void WriteByteArray(const Variant& result, const std::filesystem::path& file) {
  const oleaut::ByteArray* bytes = FindByteArray(result);
  if (bytes == nullptr) Raise(com::E_FAIL, "The result holds no byte array to write to --out");
  io::ReplaceFile(file,
                  std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

}  // namespace

void RunCall(const std::string& target, const std::vector<std::string>& args, std::ostream& out,
             const std::optional<std::filesystem::path>& out_file) {
  const std::size_t dot = target.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == target.size()) {
    Raise(com::DISP_E_UNKNOWNNAME,
          "'" + target + "' is not Class.Member (for example clsGetData.TransMode)");
  }
  const Bstr class_name = oleaut::FromUtf8(target.substr(0, dot));
  const Bstr member_name = oleaut::FromUtf8(target.substr(dot + 1));
  const com::ClassInfo* info = typelib::FindClass(class_name);
  const Bstr progid = info != nullptr ? typelib::ProgIdOf(*info) : class_name;

  const com::Ptr<com::Dispatch> object = ActivateLateBound(progid);
  const com::DispId id = object->GetIDsOfNames(member_name);
  const com::MemberInfo& member = object->Member(id);

  std::vector<Variant> values;
  values.reserve(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const com::ParamInfo* param = i < member.params.size() ? &member.params[i] : nullptr;
    values.push_back(ParseArgument(args[i], i + 1, param));
  }
  const Variant result =
      object->Invoke(id, com::InvokeKind::Method | com::InvokeKind::PropertyGet, values);

  const ResultPrinter printer = MakeResultPrinter();
  Json json = printer.Print(result);
  // By-reference parameters are results too: show what the member left in them.
  bool by_ref = false;
  for (const com::ParamInfo& param : member.params)
    by_ref = by_ref || param.by_ref;
  if (by_ref) {
    Json all = Json::object();
    all["result"] = std::move(json);
    for (std::size_t i = 0; i < member.params.size() && i < values.size(); ++i) {
      if (member.params[i].by_ref) {
        all[oleaut::ToUtf8(member.params[i].name)] = printer.Print(values[i]);
      }
    }
    json = std::move(all);
  }
  WriteJson(json, out);
  if (out_file) WriteByteArray(result, *out_file);
}

}  // namespace tavprint
