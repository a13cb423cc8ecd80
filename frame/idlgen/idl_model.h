// What swkv-idlgen reads from an IDL file: one type library with its interfaces and classes.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace swkv::idlgen {

// An attribute list: each attribute's name and the text of its argument ("" for none).
using Attributes = std::map<std::string, std::string>;

struct Param {
  Attributes attributes;
  std::string type;  // without blanks: "BSTR", "BSTR*", "unsigned long", "IUnknown**"
  std::string name;
};

struct Method {
  Attributes attributes;
  std::string returnType;
  std::string name;
  std::vector<Param> params;
};

struct Interface {
  Attributes attributes;
  std::string name;
  std::string base;
  std::vector<Method> methods;
};

struct CoClass {
  Attributes attributes;
  std::string name;
  std::vector<std::pair<Attributes, std::string>> interfaces;  // attributes, interface name
};

// An interface or a class, in the order the library lists them.
struct LibraryItem {
  bool isClass = false;
  std::size_t index = 0;  // into interfaces or classes
};

struct Library {
  Attributes attributes;
  std::string name;
  std::vector<Interface> interfaces;
  std::vector<CoClass> classes;
  std::vector<LibraryItem> items;
};

}  // namespace swkv::idlgen
