#include "frame/idlgen/typelib_writer.h"

#include <cctype>
#include <cstdio>

namespace swkv::idlgen {

namespace {

bool Has(const Attributes& attributes, const char* name) { return attributes.count(name) != 0; }

std::string Get(const Attributes& attributes, const char* name) {
  auto found = attributes.find(name);
  return found == attributes.end() ? std::string() : found->second;
}

// A C++ string literal of text.
std::string Literal(const std::string& text) {
  std::string literal = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') literal.push_back('\\');
    literal.push_back(c);
  }
  return literal + "\"";
}

}  // namespace

bool TypelibWriter::TypeOf(const std::string& type, ParamType& result) {
  static const struct {
    const char* idl;
    ParamType type;
  } kTypes[] = {
      {"BSTR", {"VT_BSTR", "bstrVal"}},
      {"BSTR*", {"VT_BSTR | VT_BYREF", "pbstrVal"}},
      {"ULONG", {"VT_UI4", "ulVal"}},
      {"ULONG*", {"VT_UI4 | VT_BYREF", "pulVal"}},
      {"unsigned long", {"VT_UI4", "ulVal"}},
      {"unsigned long*", {"VT_UI4 | VT_BYREF", "pulVal"}},
      {"LONG", {"VT_I4", "lVal"}},
      {"LONG*", {"VT_I4 | VT_BYREF", "plVal"}},
      {"long", {"VT_I4", "lVal"}},
      {"long*", {"VT_I4 | VT_BYREF", "plVal"}},
      {"IUnknown*", {"VT_UNKNOWN", "punkVal"}},
      {"IUnknown**", {"VT_UNKNOWN | VT_BYREF", "ppunkVal"}},
      {"IDispatch*", {"VT_DISPATCH", "pdispVal"}},
      {"IDispatch**", {"VT_DISPATCH | VT_BYREF", "ppdispVal"}},
  };
  for (const auto& entry : kTypes) {
    if (type == entry.idl) {
      result = entry.type;
      return true;
    }
  }
  return false;
}

bool TypelibWriter::Guid(const std::string& text, std::string& initializer) {
  unsigned data1 = 0, data2 = 0, data3 = 0, b[8] = {};
  char rest = 0;
  if (text.size() != 36 ||
      std::sscanf(text.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &data1, &data2, &data3,
                  &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &rest) != 11)
    return false;
  char out[160];
  std::snprintf(out, sizeof out,
                "{0x%08X, 0x%04X, 0x%04X, {0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, "
                "0x%02X, 0x%02X}}",
                data1, data2, data3, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
  initializer = out;
  return true;
}

bool TypelibWriter::InheritedMethods(const Interface& iface, unsigned& count) const {
  if (iface.base == "IUnknown") {
    count = 3;
    return true;
  }
  if (iface.base == "IDispatch") {
    count = 7;
    return true;
  }
  for (const Interface& other : m_library.interfaces) {
    if (other.name != iface.base) continue;
    unsigned inherited = 0;
    if (!InheritedMethods(other, inherited)) return false;
    count = inherited + static_cast<unsigned>(other.methods.size());
    return true;
  }
  return false;
}

bool TypelibWriter::WriteInterface(std::ostream& out, const Interface& iface, std::string& error) {
  out << "// " << iface.name << "\n\n";
  for (const Method& method : iface.methods) {
    if (method.returnType != "HRESULT") {
      error = iface.name + "::" + method.name + " does not return HRESULT";
      return false;
    }
    const std::string suffix = iface.name + "_" + method.name;
    out << "HRESULT Call_" << suffix << "(void* instance, VARIANTARG* const*"
        << (method.params.empty() ? "" : " args") << ") {\n"
        << "  return static_cast<" << iface.name << "*>(static_cast<" << iface.base
        << "*>(instance))->" << method.name << "(";
    for (std::size_t p = 0; p < method.params.size(); ++p) {
      ParamType type{};
      if (!TypeOf(method.params[p].type, type)) {
        error = "type " + method.params[p].type + " of " + suffix + " is not supported";
        return false;
      }
      out << (p ? ", " : "") << "args[" << p << "]->" << type.member;
    }
    out << ");\n}\n\n";
    if (method.params.empty()) continue;
    out << "constexpr SWKV_TLIB_PARAM kParams_" << suffix << "[] = {\n";
    for (const Param& param : method.params) {
      ParamType type{};
      TypeOf(param.type, type);
      const bool in = Has(param.attributes, "in");
      const bool out_ = Has(param.attributes, "out");
      std::string flags = in || !out_ ? "PARAMFLAG_FIN" : "";
      if (out_) flags += in ? " | PARAMFLAG_FOUT" : "PARAMFLAG_FOUT";
      out << "    {" << Literal(param.name) << ", " << type.vt << ", " << flags << "},\n";
    }
    out << "};\n\n";
  }
  out << "constexpr SWKV_TLIB_FUNC kFuncs_" << iface.name << "[] = {\n";
  for (const Method& method : iface.methods) {
    const std::string suffix = iface.name + "_" + method.name;
    if (!Has(method.attributes, "id")) {
      error = suffix + " has no id";
      return false;
    }
    out << "    {" << Literal(method.name) << ", " << Literal(Get(method.attributes, "helpstring"))
        << ", " << Get(method.attributes, "id") << ", "
        << (method.params.empty() ? "nullptr" : "kParams_" + suffix) << ", "
        << method.params.size() << ", &Call_" << suffix << "},\n";
  }
  out << "};\n\n";
  return true;
}

bool TypelibWriter::Write(std::ostream& out, std::string& error) {
  std::string libid;
  if (!Guid(Get(m_library.attributes, "uuid"), libid)) {
    error = "library " + m_library.name + " has no valid uuid";
    return false;
  }
  unsigned major = 0, minor = 0;
  std::sscanf(Get(m_library.attributes, "version").c_str(), "%u.%u", &major, &minor);
  const std::string& ns = m_options.idsNamespace;
  const std::string qualifier = ns.empty() ? "::" : "::" + ns + "::";

  out << "// The type library " << m_library.name << " for the POSIX platform, written from "
      << m_options.source << " by swkv-idlgen.\n// Do not edit: edit the IDL.\n"
      << "#include \"platform/posix/typelib_resource.h\"\n"
      << "#include \"" << m_options.header << "\"\n\n"
      << "namespace {\n\n"
      << "constexpr bool SameGuid(const GUID& a, const GUID& b) {\n"
      << "  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;\n"
      << "  for (int i = 0; i < 8; ++i)\n"
      << "    if (a.Data4[i] != b.Data4[i]) return false;\n"
      << "  return true;\n}\n\n";

  for (const Interface& iface : m_library.interfaces)
    if (!WriteInterface(out, iface, error)) return false;

  out << "constexpr SWKV_TLIB_TYPE kTypes[] = {\n";
  std::string checks;
  for (std::size_t index = 0; index < m_library.items.size(); ++index) {
    const LibraryItem& item = m_library.items[index];
    const std::string type = "kTypes[" + std::to_string(index) + "].guid, ";
    if (!item.isClass) {
      const Interface& iface = m_library.interfaces[item.index];
      std::string guid;
      unsigned inherited = 0;
      if (!Guid(Get(iface.attributes, "uuid"), guid) || !InheritedMethods(iface, inherited)) {
        error = "interface " + iface.name + " needs a valid uuid and a known base";
        return false;
      }
      const bool dual = Has(iface.attributes, "dual");
      std::string flags = dual ? "TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE"
                               : Has(iface.attributes, "oleautomation") ? "TYPEFLAG_FOLEAUTOMATION"
                                                                         : "0";
      out << "    {" << (dual ? "TKIND_DISPATCH" : "TKIND_INTERFACE") << ", " << guid << ", "
          << Literal(iface.name) << ", " << Literal(Get(iface.attributes, "helpstring")) << ", "
          << flags << ", " << inherited << ", kFuncs_" << iface.name << ", "
          << iface.methods.size() << ", -1},\n";
      checks += "static_assert(SameGuid(" + type + qualifier + "IID_" + iface.name + "), \"IID_" +
                iface.name + " differs from the IDL\");\n";
    } else {
      const CoClass& coclass = m_library.classes[item.index];
      std::string guid;
      if (!Guid(Get(coclass.attributes, "uuid"), guid)) {
        error = "coclass " + coclass.name + " has no valid uuid";
        return false;
      }
      int defaultIndex = -1;
      for (const auto& [attributes, name] : coclass.interfaces) {
        if (!Has(attributes, "default") && defaultIndex >= 0) continue;
        for (std::size_t i = 0; i < m_library.items.size(); ++i)
          if (!m_library.items[i].isClass &&
              m_library.interfaces[m_library.items[i].index].name == name)
            defaultIndex = static_cast<int>(i);
      }
      out << "    {TKIND_COCLASS, " << guid << ", " << Literal(coclass.name) << ", "
          << Literal(Get(coclass.attributes, "helpstring")) << ", "
          << (Has(coclass.attributes, "noncreatable") ? "0" : "TYPEFLAG_FCANCREATE")
          << ", 0, nullptr, 0, " << defaultIndex << "},\n";
      checks += "static_assert(SameGuid(" + type + qualifier + "CLSID_" + coclass.name +
                "), \"CLSID_" + coclass.name + " differs from the IDL\");\n";
    }
  }
  out << "};\n\n"
      << "constexpr SWKV_TLIB kLibrary = {" << libid << ", " << Literal(m_library.name) << ", "
      << Literal(Get(m_library.attributes, "helpstring")) << ", " << major << ", " << minor
      << ", 0, LIBFLAG_FHASDISKIMAGE, kTypes, " << m_library.items.size() << "};\n\n"
      << "// The C++ declarations of the identifiers must be the IDL's.\n"
      << "static_assert(SameGuid(kLibrary.libid, " << qualifier << "LIBID_" << m_library.name
      << "), \"LIBID_" << m_library.name << " differs from the IDL\");\n"
      << checks << "\n"
      << "// Registered with the platform while the module is loaded.\n"
      << "swkv::TypeLibResource g_typeLibrary(kLibrary);\n\n"
      << "}  // namespace\n";
  return true;
}

}  // namespace swkv::idlgen
