// A component module loaded the way a host loads one: from its file, with its entry points found
// by name. LoadCopy loads a private copy of the file, so that every test gets a module of its own,
// with its own lock count, class object and type information, as a fresh process would.
#pragma once

#include <string>

namespace swkv::test {

class LoadedModule {
 public:
  LoadedModule() = default;
  ~LoadedModule() { Unload(); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // Copies the file at path into a fresh temporary directory and loads the copy; false (with
  // the reason in error()) when it cannot be loaded.
  bool LoadCopy(const std::string& path);
  // Unloads the module and removes the copy, if any.
  void Unload();

  void* Symbol(const char* name) const;
  template <class Function>
  Function* Entry(const char* name) const {
    return reinterpret_cast<Function*>(Symbol(name));
  }

  // The path the module was loaded from.
  const std::string& path() const { return m_path; }
  const std::string& error() const { return m_error; }

 private:
  // The system's part: loading a file, unloading it.
  bool Open(const std::string& path);
  void Close();

  void* m_handle = nullptr;
  std::string m_path;
  std::string m_copyDirectory;
  std::string m_error;
};

}  // namespace swkv::test
